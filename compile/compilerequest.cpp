#include "compilerequest.h"

#include "optioncatalogue.h"

QString CompileRequest::configPrefix(const QString &configf)
{
    return configf.isEmpty() || configf.endsWith(QLatin1String("cfg")) ? QStringLiteral("+") : QStringLiteral("@");
}

void CompileRequest::cmdCompile_Click()
{
    RunWindow &run = m_parts.runWindow;
    if (run.isRunning()) {
        m_parts.messages.show(QStringLiteral("A compile is already running. Wait for it to end, or stop it in the run window."),
                              QStringLiteral("Compile running"), Buttons::Ok, Icon::Information);
        return;
    }
    // After No the file as last written is compiled.
    if (!m_parts.document.offerToSave())
        return;

    const CompileState &c = m_parts.compile;
    RunRequest &r = run.request;
    r.A_start = true;
    r.A_name = QStringLiteral("Tovrin");
    r.A_clocation = c.CompilerPath;
    r.A_appuse = 1;
    r.A_srcparam = QStringLiteral(" ");
    r.A_srcfile = c.srcfile;
    r.A_output = c.newpath;
    r.A_configf = c.configf;
    r.A_outputuse = 1;
    r.A_output2 = QStringLiteral("-e");
    r.A_configuse = QStringLiteral("1 ");
    r.A_ErrKeyList = QStringLiteral("Error,Fatal,error,fatal");
    r.A_config = configPrefix(c.configf);
    r.A_adduse = 1;
    QStringList texts;
    for (int i = 0; i < m_parts.List1.count(); ++i)
        texts.append(m_parts.List1.itemText(i));
    r.A_addparam = OptionCatalogue::optionString(texts, c.options);

    placeRunWindow();
    run.Form_Load();
}

void CompileRequest::mnuOutput_Click()
{
    placeRunWindow();
    RunWindow &run = m_parts.runWindow;
    run.request.A_start = false;
    if (run.isLoaded())
        run.bringForward();
    else
        run.Form_Load();
}

void CompileRequest::placeRunWindow()
{
    FormWindow &main = m_parts.mainWindow;
    if (main.state() == WindowState::Normal) {
        main.moveTo({0, main.corner().top});
        m_parts.runWindow.moveTo({main.outerSize().width, main.corner().top});
    } else {
        m_parts.runWindow.moveTo({main.corner().left + 3000, main.corner().top + 3000});
    }
}
