#include "postcompile.h"

#include "platform/paths.h"

PostCompile::PostCompile(Timer &Timer1, const MenuItem &mnuDelete, RunWindow &runWindow, Services services)
    : m_timer(Timer1)
    , m_mnuDelete(mnuDelete)
    , m_runWindow(runWindow)
    , m_services(services)
{
    m_timer.setInterval(1);
    m_timer.onTimeout([this] { Timer1_Timer(); });
}

void PostCompile::Timer1_Timer()
{
    // After a failed compile there is nothing to offer; the timer stops
    // rather than ticking on until the next compile.
    if (!m_runWindow.ok) {
        m_timer.setEnabled(false);
        return;
    }
    const QString &srcfile = m_runWindow.lastRun().A_srcfile;
    const QString &newpath = m_runWindow.lastRun().A_output;
    Reply reply = Reply::No;
    if (m_mnuDelete.isChecked()) {
        reply = m_services.runMessages.show(QStringLiteral("Delete *.tds & *.obj files?"), QStringLiteral("Delete?"),
                                            Buttons::YesNoCancel, Icon::Question);
        if (reply == Reply::Yes) {
            m_services.files.remove(withExtension(srcfile, QStringLiteral(".obj")));
            m_services.files.remove(withExtension(newpath, QStringLiteral(".tds")));
        }
    }
    if (reply != Reply::Cancel
        && m_services.runMessages.show(QStringLiteral("Do you want to execute your app now?"), QStringLiteral("Execute your app?"),
                                       Buttons::YesNo, Icon::Question)
               == Reply::Yes) {
        runProgram(newpath);
    }
    // A run window closed during the run opens on the output of the run;
    // it must not run the compiler a second time.
    if (m_runWindow.isLoaded()) {
        m_runWindow.bringForward();
    } else {
        m_runWindow.request.A_start = false;
        m_runWindow.Form_Load();
    }
    m_timer.setEnabled(false);
}

void PostCompile::runProgram(const QString &program)
{
    if (program.isEmpty())
        return;
    if (m_services.terminal.isRunning(program)) {
        const Reply reply = m_services.messages.show(
            stillRunningText(program)
                + QStringLiteral(" Stop it and start it again?\rYes stops it and starts it anew, No starts another copy "
                                 "beside it, Cancel starts nothing."),
            QStringLiteral("Program still running"), Buttons::YesNoCancel, Icon::Question);
        if (reply == Reply::Cancel || (reply == Reply::Yes && !stopProgram(program)))
            return;
    }
    const Terminal::Result started = m_services.terminal.run(program, folderOf(program));
    if (!started.ok) {
        m_services.messages.show(QStringLiteral("KVN could not start %1:\r%2").arg(program, started.error),
                                 QStringLiteral("Program not started"), Buttons::Ok, Icon::Exclamation);
    }
}

bool PostCompile::offerToStop(const QString &program)
{
    if (program.isEmpty() || !m_services.terminal.isRunning(program))
        return true;
    const Reply reply = m_services.messages.show(
        stillRunningText(program)
            + QStringLiteral(" Stop it before compiling?\rYes stops it, No compiles anyway, Cancel compiles nothing."),
        QStringLiteral("Program still running"), Buttons::YesNoCancel, Icon::Question);
    if (reply == Reply::Cancel)
        return false;
    if (reply == Reply::Yes)
        stopProgram(program);
    return true;
}

bool PostCompile::stopProgram(const QString &program)
{
    if (m_services.terminal.stop(program))
        return true;
    m_services.messages.show(QStringLiteral("KVN could not stop %1; it may still be running.").arg(program),
                             QStringLiteral("Program not stopped"), Buttons::Ok, Icon::Exclamation);
    return false;
}
