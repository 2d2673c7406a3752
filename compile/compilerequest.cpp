#include "compilerequest.h"

#include "optioncatalogue.h"

#include <QScopeGuard>

QString CompileRequest::configPrefix(const QString &configf)
{
    return configf.isEmpty() || configf.endsWith(QLatin1String("cfg")) ? QStringLiteral("+") : QStringLiteral("@");
}

void CompileRequest::cmdCompile_Click()
{
    m_starting = true;
    const auto started = qScopeGuard([this] { m_starting = false; });
    RunWindow &run = m_parts.runWindow;
    if (run.isRunning()) {
        m_parts.messages.show(QStringLiteral("A compile is already running. Wait for it to end, or stop it in the run window."),
                              QStringLiteral("Compile running"), Buttons::Ok, Icon::Information);
        return;
    }
    // After No the file as last written is compiled.
    if (!m_parts.document.offerToSave()) {
        // The user answered a question about the file, not about the
        // compile: that nothing was compiled is not to go unsaid.
        if (m_parts.document.declinedOverwrite())
            m_parts.messages.show(cancelledForDiskChangeText(m_parts.document.fileName()),
                                  QStringLiteral("Compile cancelled"), Buttons::Ok, Icon::Information);
        return;
    }
    if (!compilerConfirmed())
        return;
    if (m_mayBuild && !m_mayBuild(m_parts.compile.newpath))
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

bool CompileRequest::compilerConfirmed()
{
    CompileState &c = m_parts.compile;
    if (!c.unconfirmedCompiler || c.unconfirmedCompiler->path != c.CompilerPath)
        return true;
    const UnconfirmedCompiler &u = *c.unconfirmedCompiler;
    const Reply reply = m_parts.messages.show(
        QStringLiteral("The compiler %1 is named in the settings file %2, and %3, so someone else may have put it "
                       "there.\rDo you want to run it?\rNo compiles with KVN's own compiler, %4; Cancel compiles "
                       "nothing.")
            .arg(u.path, u.settingsFile, u.why, u.fallback),
        QStringLiteral("Compiler from the settings file"), Buttons::YesNoCancel, Icon::Exclamation);
    if (reply == Reply::Cancel)
        return false;
    if (reply == Reply::No)
        c.CompilerPath = u.fallback;
    c.unconfirmedCompiler.reset();
    return true;
}

QString CompileRequest::cancelledForDiskChangeText(const QString &path)
{
    return QStringLiteral("Compile cancelled: %1 was changed on disk by another program, and your text was not saved "
                          "over it. Nothing was compiled.\rTo compile your text, save it and let it replace the file; to "
                          "compile the file as it is now, open it again. Then start the compile again.")
        .arg(path);
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
