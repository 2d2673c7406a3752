// The copies of sources that kvncc compiles in their place: where they are
// made, and that they go however kvncc ends.
#include "kvncc/sourcecopies.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using kvncc::SourceCopies;

namespace {

const QString kvnccPath = QStringLiteral(KVNCC_PATH);

const QByteArray voidMain = "#include <stdio.h>\nvoid main() { puts(\"void main ran\"); }\n";

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The entries of folder whose names start with "kvncc-".
QStringList copyFolders(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("kvncc-*")}, QDir::AllEntries | QDir::System | QDir::Hidden);
}

// Makes one entry: "dir:path", "file:path" or "link:path:target".
bool make(const QString &entry)
{
    const QString kind = entry.section(u':', 0, 0);
    const QString path = entry.section(u':', 1, 1);
    if (kind == u"dir")
        return QDir().mkpath(path);
    if (kind == u"link")
        return ::symlink(QFile::encodeName(entry.section(u':', 2)).constData(), QFile::encodeName(path).constData()) == 0;
    return writeFile(path, "kept\n");
}

bool exists(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// kvncc, started so that the test has its exact wait status: its standard
// input is a pipe the test holds, its output goes to a file.
struct Started
{
    pid_t pid = -1;
    int input = -1; // the writing end of kvncc's standard input
};

Started startKvncc(const QString &folder, const QStringList &args, const QStringList &environment)
{
    Started started;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return started;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    const QByteArray output = QFile::encodeName(folder + QStringLiteral("/kvncc.out"));
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const QByteArray dir = QFile::encodeName(folder);
    posix_spawn_file_actions_addchdir_np(&actions, dir.constData());

    QList<QByteArray> argStore{QFile::encodeName(kvnccPath)};
    for (const QString &arg : args)
        argStore.append(QFile::encodeName(arg));
    QList<QByteArray> envStore;
    for (const QString &entry : environment)
        envStore.append(entry.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : argStore)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (QByteArray &entry : envStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const int spawned = ::posix_spawn(&started.pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[0]);
    if (spawned != 0) {
        ::close(ends[1]);
        started.pid = -1;
        return started;
    }
    started.input = ends[1];
    return started;
}

// kvncc's environment: the copies under tmp, a compiler of the test's.
QStringList environmentWith(const QString &tmp, const QString &compiler, const QString &mark)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), tmp);
    environment.insert(QStringLiteral("KVNCC_NO_CACHE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("KVNCC_COMPILER"), compiler);
    environment.insert(QStringLiteral("COPY_MARK"), mark);
    return environment.toStringList();
}

// A compiler that names the copy it was given in the file $COPY_MARK and
// then waits until its standard input (kvncc's) closes.
const QByteArray waitingCompiler = "#!/bin/sh\n"
                                   "for a; do case \"$a\" in */kvncc-*) printf '%s' \"$a\" > \"$COPY_MARK.part\";; esac; done\n"
                                   "mv \"$COPY_MARK.part\" \"$COPY_MARK\"\n"
                                   "exec cat > /dev/null\n";

struct Result
{
    bool ended = false;
    int exitCode = -1;
    QByteArray output;
};

Result runKvncc(const QString &folder, const QStringList &args, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    process.start(kvnccPath, args);
    Result result;
    if (!process.waitForStarted(10000))
        return result;
    result.ended = process.waitForFinished(60000);
    if (!result.ended) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = process.readAll();
    return result;
}

} // namespace

class TestSourceCopies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A process id that no process has: a child's, once it is gone.
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0)
            ::_exit(0);
        QCOMPARE(::waitpid(child, nullptr, 0), child);
        m_deadPid = QString::number(child);
    }

    // The entries made in a fresh folder, the ones that must be gone and the
    // ones that must stay after a look for stale copies. DEAD is a process
    // that no longer runs, LIVE one that does, OUT a folder elsewhere.
    void removesOnlyStaleCopiesOfThisUser_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("gone");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<bool>("otherUser");

        QTest::newRow("copies of a kvncc that no longer runs")
            << QStringList{"dir:kvncc-DEAD-a1B2c3/1", "file:kvncc-DEAD-a1B2c3/1/vm.c", "dir:kvncc-DEAD-a1B2c3/2/x/y"}
            << QStringList{"kvncc-DEAD-a1B2c3"} << QStringList{} << false;
        QTest::newRow("copies of a kvncc that runs") << QStringList{"dir:kvncc-LIVE-a1B2c3/1", "file:kvncc-LIVE-a1B2c3/1/vm.c"}
                                                    << QStringList{} << QStringList{"kvncc-LIVE-a1B2c3/1/vm.c"} << false;
        QTest::newRow("names of another form")
            << QStringList{"dir:kvncc-a1B2c3", "dir:kvncc-DEAD-abc", "dir:kvncc-DEADx-a1B2c3", "dir:kvncc--a1B2c3",
                           "dir:kvncc-DEAD-a1B2c3d", "dir:other-DEAD-a1B2c3"}
            << QStringList{}
            << QStringList{"kvncc-a1B2c3", "kvncc-DEAD-abc", "kvncc-DEADx-a1B2c3", "kvncc--a1B2c3", "kvncc-DEAD-a1B2c3d",
                           "other-DEAD-a1B2c3"}
            << false;
        QTest::newRow("a file of a stale name") << QStringList{"file:kvncc-DEAD-a1B2c3"} << QStringList{}
                                               << QStringList{"kvncc-DEAD-a1B2c3"} << false;
        QTest::newRow("a link of a stale name is not followed")
            << QStringList{"dir:OUT/kept", "file:OUT/kept/file.c", "link:kvncc-DEAD-a1B2c3:OUT/kept"} << QStringList{}
            << QStringList{"kvncc-DEAD-a1B2c3", "OUT/kept/file.c"} << false;
        QTest::newRow("a link inside stale copies is not followed")
            << QStringList{"dir:OUT/kept", "file:OUT/kept/file.c", "dir:kvncc-DEAD-a1B2c3/1",
                           "link:kvncc-DEAD-a1B2c3/1/out:OUT/kept", "link:kvncc-DEAD-a1B2c3/file:OUT/kept/file.c"}
            << QStringList{"kvncc-DEAD-a1B2c3"} << QStringList{"OUT/kept/file.c"} << false;
        QTest::newRow("another user's copies") << QStringList{"dir:kvncc-DEAD-a1B2c3/1", "file:kvncc-DEAD-a1B2c3/1/vm.c"}
                                              << QStringList{} << QStringList{"kvncc-DEAD-a1B2c3/1/vm.c"} << true;
    }
    void removesOnlyStaleCopiesOfThisUser()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, gone);
        QFETCH(QStringList, kept);
        QFETCH(bool, otherUser);
        if (otherUser && ::geteuid() != 0)
            QSKIP("only root can give a folder to another user");

        QTemporaryDir dir;
        QTemporaryDir outside;
        QVERIFY(dir.isValid() && outside.isValid());
        const auto resolved = [&](QString text) {
            text.replace(QStringLiteral("DEAD"), m_deadPid);
            text.replace(QStringLiteral("LIVE"), QString::number(::getppid()));
            text.replace(QStringLiteral("OUT/"), outside.path() + u'/');
            return text.startsWith(u'/') ? text : dir.filePath(text);
        };
        for (const QString &entry : entries) {
            const QString kind = entry.section(u':', 0, 0);
            QString made = kind + u':' + resolved(entry.section(u':', 1, 1));
            if (kind == u"link")
                made += u':' + resolved(entry.section(u':', 2));
            QVERIFY2(make(made), qPrintable(made));
        }
        if (otherUser) {
            const QString folder = resolved(entries.first().section(u':', 1, 1).section(u'/', 0, 0));
            QCOMPARE(::lchown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        }

        SourceCopies::removeStaleCopies(QFile::encodeName(dir.path()).toStdString());

        for (const QString &path : gone)
            QVERIFY2(!exists(resolved(path)), qPrintable(path));
        for (const QString &path : kept)
            QVERIFY2(exists(resolved(path)), qPrintable(path));
    }

    // TMPDIR as set (KEEP: not set; DIR/: inside the test's folder, which
    // is the current one) and the folder the copies go to.
    void temporaryFolderFromTmpdir_data()
    {
        QTest::addColumn<QString>("tmpdir");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("needsNonRoot");

        QTest::newRow("not set") << "KEEP" << "/tmp" << false;
        QTest::newRow("empty") << "" << "/tmp" << false;
        QTest::newRow("an absolute folder") << "DIR/tmp" << "DIR/tmp" << false;
        QTest::newRow("an absolute folder with a slash at the end") << "DIR/tmp/" << "DIR/tmp" << false;
        QTest::newRow("a relative folder") << "tmp" << "DIR/tmp" << false;
        QTest::newRow("a relative folder with dots") << "./tmp/../tmp" << "DIR/tmp" << false;
        QTest::newRow("a missing folder") << "DIR/missing" << "/tmp" << false;
        QTest::newRow("a missing relative folder") << "missing" << "/tmp" << false;
        QTest::newRow("a file") << "DIR/file" << "/tmp" << false;
        QTest::newRow("a folder this user may not write in") << "DIR/locked" << "/tmp" << true;
    }
    void temporaryFolderFromTmpdir()
    {
        QFETCH(QString, tmpdir);
        QFETCH(QString, folder);
        QFETCH(bool, needsNonRoot);
        if (needsNonRoot && ::geteuid() == 0)
            QSKIP("root may write in every folder");

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString base = QDir(dir.path()).canonicalPath();
        QVERIFY(QDir().mkpath(base + QStringLiteral("/tmp")));
        QVERIFY(QDir().mkpath(base + QStringLiteral("/locked")));
        QVERIFY(QFile::setPermissions(base + QStringLiteral("/locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(writeFile(base + QStringLiteral("/file"), "x"));

        const QByteArray before = qgetenv("TMPDIR");
        const bool wasSet = qEnvironmentVariableIsSet("TMPDIR");
        const QString current = QDir::currentPath();
        QVERIFY(QDir::setCurrent(base));
        if (tmpdir == u"KEEP")
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", QFile::encodeName(QString(tmpdir).replace(QStringLiteral("DIR"), base)));
        const std::string chosen = SourceCopies::temporaryFolder();
        QDir::setCurrent(current);
        if (wasSet)
            qputenv("TMPDIR", before);
        else
            qunsetenv("TMPDIR");

        QCOMPARE(QString::fromStdString(chosen), QString(folder).replace(QStringLiteral("DIR"), base));
    }

    // A void main program (compiled from a copy) with TMPDIR set as the
    // row says, relative to kvncc's folder: it builds and runs.
    void buildsWithAnyTmpdir_data()
    {
        QTest::addColumn<QString>("tmpdir");
        QTest::newRow("a relative folder") << "tmp";
        QTest::newRow("a missing folder") << "/nonexistent/kvncc-test";
        QTest::newRow("a missing relative folder") << "missing";
        QTest::newRow("a file") << "vm.c";
    }
    void buildsWithAnyTmpdir()
    {
        QFETCH(QString, tmpdir);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tmp")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("vm.c")), voidMain));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tmpdir);
        environment.insert(QStringLiteral("KVNCC_NO_CACHE"), QStringLiteral("1"));
        const Result result = runKvncc(dir.path(), {QStringLiteral("-q"), QStringLiteral("vm.c")}, environment);
        QVERIFY2(result.ended, result.output.constData());
        QVERIFY2(result.exitCode == 0, result.output.constData());
        QVERIFY(copyFolders(dir.filePath(QStringLiteral("tmp"))).isEmpty());
        QProcess program;
        program.start(dir.filePath(QStringLiteral("vm.exe")), QStringList());
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.readAll(), QByteArray("void main ran\n"));
    }

    // kvncc stopped by a signal while its compiler works on a copy: the
    // copy goes, and kvncc ends by that signal.
    void copyGoesWhenKvnccIsStopped_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("copyGoes");
        QTest::newRow("SIGTERM") << int(SIGTERM) << true;
        QTest::newRow("SIGINT") << int(SIGINT) << true;
        QTest::newRow("SIGHUP") << int(SIGHUP) << true;
        // Nothing can catch this one: the copy stays until the next run.
        QTest::newRow("SIGKILL") << int(SIGKILL) << false;
    }
    void copyGoesWhenKvnccIsStopped()
    {
        QFETCH(int, signal);
        QFETCH(bool, copyGoes);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString tmp = dir.filePath(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(tmp));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("vm.c")), voidMain));
        const QString compiler = dir.filePath(QStringLiteral("waitingcc"));
        QVERIFY(writeFile(compiler, waitingCompiler));
        QVERIFY(QFile::setPermissions(compiler, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        const QString mark = dir.filePath(QStringLiteral("copy"));

        const Started kvncc = startKvncc(dir.path(), {QStringLiteral("-q"), QStringLiteral("-c"), QStringLiteral("vm.c")},
                                         environmentWith(tmp, compiler, mark));
        QVERIFY(kvncc.pid > 0);
        // The waits try again and again: the first success is kept.
        int status = 0;
        bool ended = false;
        const auto reap = [&] { return ended || (ended = ::waitpid(kvncc.pid, &status, WNOHANG) == kvncc.pid); };
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(mark) || reap(), 20000);
        if (ended) {
            QFile output(dir.filePath(QStringLiteral("kvncc.out")));
            QVERIFY(output.open(QIODevice::ReadOnly));
            QFAIL(("kvncc ended before its compiler started: " + output.readAll()).constData());
        }
        QFile named(mark);
        QVERIFY(named.open(QIODevice::ReadOnly));
        const QString copy = QFile::decodeName(named.readAll());
        QVERIFY2(copy.startsWith(tmp + QStringLiteral("/kvncc-")), qPrintable(copy));
        QVERIFY2(QFile::exists(copy), qPrintable(copy));

        QCOMPARE(::kill(kvncc.pid, signal), 0);
        QTRY_VERIFY_WITH_TIMEOUT(reap(), 20000);
        ::close(kvncc.input); // the waiting compiler ends too
        QVERIFY2(WIFSIGNALED(status), qPrintable(QStringLiteral("status %1").arg(status)));
        QCOMPARE(WTERMSIG(status), signal);
        QCOMPARE(copyFolders(tmp).isEmpty(), copyGoes);
        if (copyGoes)
            return;

        // The next run, whatever it compiles, clears what the killed kvncc
        // left.
        QVERIFY(writeFile(dir.filePath(QStringLiteral("modern.c")), "int main(void) { return 0; }\n"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tmp);
        environment.insert(QStringLiteral("KVNCC_NO_CACHE"), QStringLiteral("1"));
        const Result next = runKvncc(dir.path(), {QStringLiteral("-q"), QStringLiteral("-c"), QStringLiteral("modern.c")},
                                     environment);
        QVERIFY2(next.exitCode == 0, next.output.constData());
        QCOMPARE(copyFolders(tmp), QStringList());
    }

private:
    QString m_deadPid;
};

QTEST_GUILESS_MAIN(TestSourceCopies)
#include "tst_sourcecopies.moc"
