#include "platform/qt/qtterminal.h"

#include "kvncc/processstart.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using Style = QtTerminal::Style;

// After $TERMINAL and Debian's x-terminal-emulator, the terminals of the
// common desktops and a few popular ones, with the way each takes a command.
const QList<QtTerminal::Candidate> &knownTerminals()
{
    static const QList<QtTerminal::Candidate> terminals = {
        {QStringLiteral("x-terminal-emulator"), {}, Style::DashE},
        {QStringLiteral("gnome-terminal"), {}, Style::DoubleDash},
        {QStringLiteral("konsole"), {}, Style::DashE},
        {QStringLiteral("xfce4-terminal"), {}, Style::DashX},
        {QStringLiteral("mate-terminal"), {}, Style::DashX},
        {QStringLiteral("terminator"), {}, Style::DashX},
        {QStringLiteral("alacritty"), {}, Style::DashE},
        {QStringLiteral("kitty"), {}, Style::Direct},
        {QStringLiteral("foot"), {}, Style::Direct},
        {QStringLiteral("wezterm"), {QStringLiteral("start"), QStringLiteral("--")}, Style::Direct},
        {QStringLiteral("urxvt"), {}, Style::DashE},
        {QStringLiteral("xterm"), {}, Style::DashE},
    };
    return terminals;
}

bool isExecutable(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString cleanAbsolute(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The first bytes of a small file, never through a symbolic link.
QByteArray readSmall(const QByteArray &path)
{
    return QByteArray::fromStdString(kvncc::readSmallFile(path.toStdString()));
}

// A program's process, held by a pid file descriptor where the system has
// them, so that a signal reaches that process and never a later one given
// the same id.
struct Held
{
    pid_t pid = 0;
    quint64 start = 0;
    int fd = -1;
};

void release(Held &held)
{
    if (held.fd >= 0)
        ::close(held.fd);
    held.fd = -1;
}

// The program whose id and start time kvnrun wrote into idFile, while it runs.
std::optional<Held> hold(const QString &idFile)
{
    const QList<QByteArray> words = readSmall(QFile::encodeName(idFile)).trimmed().split(' ');
    if (words.size() != 2)
        return std::nullopt;
    bool pidRead = false;
    bool startRead = false;
    const qlonglong pid = words[0].toLongLong(&pidRead);
    const quint64 start = words[1].toULongLong(&startRead);
    if (!pidRead || !startRead || pid <= 1 || pid > INT_MAX || start == 0)
        return std::nullopt;
    Held held{pid_t(pid), start, -1};
#ifdef SYS_pidfd_open
    held.fd = int(::syscall(SYS_pidfd_open, held.pid, 0));
#endif
    // Looked at after the descriptor was taken: it then names the process
    // that has this start time, or none.
    if (kvncc::processStartTime(held.pid) != start) {
        release(held);
        return std::nullopt;
    }
    return held;
}

bool sendSignal(const Held &held, int number)
{
#ifdef SYS_pidfd_send_signal
    if (held.fd >= 0)
        return ::syscall(SYS_pidfd_send_signal, held.fd, number, nullptr, 0) == 0;
#endif
    return kvncc::processStartTime(held.pid) == held.start && ::kill(held.pid, number) == 0;
}

// Whether the process ended within limit.
bool waitForEnd(const Held &held, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (held.fd >= 0) {
        // A pid file descriptor reads as ready once its process has ended.
        pollfd watch{held.fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            break;
    }
    for (;;) {
        if (kvncc::processStartTime(held.pid) != held.start)
            return true;
        if (deadline.hasExpired())
            return false;
        const timespec pause{0, 10'000'000};
        ::nanosleep(&pause, nullptr);
    }
}

constexpr std::chrono::milliseconds killWait(1000);

} // namespace

QtTerminal::QtTerminal(QString kvnrun, QProcessEnvironment environment, std::chrono::milliseconds grace)
    : m_kvnrun(std::move(kvnrun))
    , m_environment(std::move(environment))
    , m_grace(grace)
{
}

QString QtTerminal::besideApplication()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/kvnrun");
    return isExecutable(beside) ? beside : QStringLiteral("kvnrun");
}

QList<QtTerminal::Candidate> QtTerminal::candidates(const QString &terminalVariable)
{
    QList<Candidate> result;
    const QStringList words = QProcess::splitCommand(terminalVariable);
    if (!words.isEmpty()) {
        // A terminal we know keeps its own way of taking a command; any
        // other gets the common -e.
        Candidate chosen{words.first(), words.mid(1), Style::DashE};
        const QString name = QFileInfo(words.first()).fileName();
        for (const Candidate &known : knownTerminals()) {
            if (known.program == name) {
                chosen.style = known.style;
                chosen.leading = words.mid(1) + known.leading;
            }
        }
        result.append(chosen);
    }
    result.append(knownTerminals());
    return result;
}

QStringList QtTerminal::arguments(const Candidate &candidate, const QStringList &command)
{
    QStringList result = candidate.leading;
    switch (candidate.style) {
    case Style::DashE: result.append(QStringLiteral("-e")); break;
    case Style::DashX: result.append(QStringLiteral("-x")); break;
    case Style::DoubleDash: result.append(QStringLiteral("--")); break;
    case Style::Direct: break;
    }
    return result + command;
}

Terminal::Result QtTerminal::run(const QString &program, const QString &workingFolder)
{
    const QStringList path = m_environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts);
    // findExecutable searches the system's PATH when given no folders.
    const auto find = [&path](const QString &name) -> QString {
        if (name.contains(u'/'))
            return isExecutable(name) ? name : QString();
        return path.isEmpty() ? QString() : QStandardPaths::findExecutable(name, path);
    };

    const QString kvnrun = find(m_kvnrun);
    if (kvnrun.isEmpty())
        return {false, QStringLiteral("The program launcher kvnrun was not found (looked for %1).").arg(m_kvnrun)};

    // Without a private folder the program runs all the same, though it
    // cannot be found again.
    QStringList command{kvnrun};
    QString idFile;
    if (const QString folder = m_folder.path(); !folder.isEmpty()) {
        idFile = folder + QStringLiteral("program-%1.id").arg(++m_launched);
        command << QStringLiteral("--id-file") << idFile;
    }
    command << QStringLiteral("--") << program;

    QStringList tried;
    for (const Candidate &candidate : candidates(m_environment.value(QStringLiteral("TERMINAL")))) {
        const QString terminal = find(candidate.program);
        if (terminal.isEmpty())
            continue;
        QProcess process;
        process.setProgram(terminal);
        process.setArguments(arguments(candidate, command));
        process.setWorkingDirectory(workingFolder);
        process.setProcessEnvironment(m_environment);
        process.setStandardInputFile(QProcess::nullDevice());
        if (process.startDetached()) {
            if (!idFile.isEmpty())
                m_launches.append({cleanAbsolute(program), idFile});
            return {};
        }
        tried.append(terminal);
    }
    if (!tried.isEmpty())
        return {false, QStringLiteral("No terminal window could be opened (tried %1).").arg(tried.join(QStringLiteral(", ")))};
    return {false, QStringLiteral("No terminal program was found to run the program in. Install one (for "
                                  "example xterm), or name yours in the TERMINAL environment variable.")};
}

bool QtTerminal::isRunning(const QString &program)
{
    const QString wanted = cleanAbsolute(program);
    for (const Launch &launch : std::as_const(m_launches)) {
        if (launch.program != wanted)
            continue;
        if (std::optional<Held> held = hold(launch.idFile)) {
            release(*held);
            return true;
        }
    }
    return false;
}

bool QtTerminal::stop(const QString &program)
{
    const QString wanted = cleanAbsolute(program);
    bool ended = true;
    for (const Launch &launch : std::as_const(m_launches)) {
        if (launch.program != wanted)
            continue;
        std::optional<Held> held = hold(launch.idFile);
        if (!held)
            continue;
        if (!sendSignal(*held, SIGTERM) || !waitForEnd(*held, m_grace)) {
            sendSignal(*held, SIGKILL);
            ended = waitForEnd(*held, killWait) && ended;
        }
        release(*held);
    }
    return ended;
}
