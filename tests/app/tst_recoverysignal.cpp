#include "app/widgets/mainwindow.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <Qsci/qsciscintilla.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

// Run as "tst_recoverysignal --kvn FILE [save | type=TEXT]", this program is
// KVN: the real main window, started on FILE (an empty one: no file), with
// "hello " (or TEXT) typed into its editor (and saved, with "save"). It says
// "typed" on its output and waits for the test to end it.
static int runKvn(int argc, char **argv)
{
    QApplication app(argc, argv);
    MainWindow window(QString::fromLocal8Bit(argv[2]));
    window.show();
    auto *editor = window.findChild<QsciScintilla *>(QStringLiteral("Text1"));
    if (!editor || !QTest::qWaitForWindowExposed(&window))
        return 3;
    const QString option = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    QTest::keyClicks(editor, option.startsWith(QLatin1String("type=")) ? option.mid(5) : QStringLiteral("hello "));
    if (argc > 3 && qstrcmp(argv[3], "save") == 0) {
        // "File saved." is acknowledged as a user would.
        QTimer::singleShot(200, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->accept();
        });
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    }
    if (::write(STDOUT_FILENO, "typed\n", 6) != 6)
        return 4;
    return app.exec();
}

namespace {

// The file in folder that the copy of KVN with the process id pid keeps
// path's text in.
QString keptName(const QString &folder, const QString &path, qint64 pid)
{
    const QString prefix = QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex())
                           + QLatin1Char('.') + QString::number(pid) + QLatin1Char('-');
    const QStringList found = QDir(folder).entryList({prefix + QStringLiteral("*.recovery")}, QDir::Files);
    return found.size() == 1 ? found.first() : QStringLiteral("(%1 files for %2)").arg(found.size()).arg(prefix);
}

// Starts the program as KVN on file with arguments, in the environment,
// and waits until it has typed.
bool startTyping(QProcess &kvn, const QProcessEnvironment &environment, const QStringList &arguments)
{
    kvn.setProcessEnvironment(environment);
    kvn.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--kvn")} + arguments);
    if (!kvn.waitForStarted())
        return false;
    QDeadlineTimer deadline(30000);
    while (!kvn.canReadLine() && kvn.state() == QProcess::Running && !deadline.hasExpired())
        kvn.waitForReadyRead(1000);
    return kvn.readLine() == "typed\n";
}

} // namespace

class TestRecoverySignal : public QObject
{
    Q_OBJECT

private slots:
    void aSignalKeepsTheTypingForTheNextStart_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("stateHomeSet");
        QTest::addColumn<bool>("save");
        QTest::newRow("SIGTERM") << int(SIGTERM) << true << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << true << false;
        QTest::newRow("SIGINT, state folder under HOME") << int(SIGINT) << false << false;
        QTest::newRow("SIGTERM after a save") << int(SIGTERM) << true << true;
    }

    void aSignalKeepsTheTypingForTheNextStart()
    {
        QFETCH(int, signal);
        QFETCH(bool, stateHomeSet);
        QFETCH(bool, save);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString source = home.filePath(QStringLiteral("prog.cpp"));
        {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("int main() {}\n");
        }
        const QString state = stateHomeSet ? home.filePath(QStringLiteral("state"))
                                           : home.filePath(QStringLiteral(".local/state"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (stateHomeSet)
            environment.insert(QStringLiteral("XDG_STATE_HOME"), state);
        else
            environment.remove(QStringLiteral("XDG_STATE_HOME"));

        QProcess kvn;
        kvn.setProcessEnvironment(environment);
        kvn.setWorkingDirectory(home.path());
        QStringList arguments{QStringLiteral("--kvn"), source};
        if (save)
            arguments << QStringLiteral("save");
        kvn.start(QCoreApplication::applicationFilePath(), arguments);
        QVERIFY(kvn.waitForStarted());
        const qint64 pid = kvn.processId();
        QDeadlineTimer deadline(30000);
        while (!kvn.canReadLine() && kvn.state() == QProcess::Running && !deadline.hasExpired())
            kvn.waitForReadyRead(1000);
        QCOMPARE(kvn.readLine(), QByteArray("typed\n"));
        QVERIFY(::kill(pid_t(kvn.processId()), signal) == 0);
        QVERIFY(kvn.waitForFinished(10000));
        QCOMPARE(kvn.exitStatus(), QProcess::CrashExit);

        if (save) {
            QVERIFY(QDir(state + QStringLiteral("/kvn")).entryList({QStringLiteral("*.recovery")}, QDir::Files).isEmpty());
            return;
        }
        const QString kept = state + QStringLiteral("/kvn/") + keptName(state + QStringLiteral("/kvn"), source, pid);
        QFile file(kept);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(kept));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("KVN recovery file\nversion: 2\npath: " + source.toUtf8() + "\ndate: "));
        QVERIFY(bytes.endsWith("\n\nhello int main() {}\n"));
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(kept).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
        QCOMPARE(::stat(QFile::encodeName(state + QStringLiteral("/kvn")).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0700));

        // The next start on the same file offers the text; Enter takes it.
        qputenv("HOME", QFile::encodeName(home.path()));
        if (stateHomeSet)
            qputenv("XDG_STATE_HOME", QFile::encodeName(state));
        else
            qunsetenv("XDG_STATE_HOME");
        QString question;
        QString defaultButton;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            question = box->text();
            for (QAbstractButton *button : box->buttons()) {
                if (auto *push = qobject_cast<QPushButton *>(button); push && push->isDefault())
                    defaultButton = box->standardButton(push) == QMessageBox::Yes ? QStringLiteral("Yes") : push->text();
            }
            QTest::keyClick(box, Qt::Key_Return);
        });
        answerer.start(10);
        MainWindow next(source);
        answerer.stop();
        QVERIFY2(question.startsWith(QStringLiteral("KVN found unsaved changes to %1 from ").arg(source)), qPrintable(question));
        QVERIFY(question.endsWith(QStringLiteral(". Recover them?\nNo deletes the kept copy; Cancel keeps it for later.")));
        QCOMPARE(next.findChild<QsciScintilla *>(QStringLiteral("Text1"))->text(), QStringLiteral("hello int main() {}\r\n"));
        QCOMPARE(defaultButton, QStringLiteral("Yes"));
        QCOMPARE(next.windowTitle(), QStringLiteral("Korvane (KVN) 2.2 #"));
        QVERIFY(!next.form().state.FileSaved);
        // The text is kept again at once, under the new copy's own name, and
        // the file taken over is gone.
        QVERIFY(!QFile::exists(kept));
        const QStringList left = QDir(state + QStringLiteral("/kvn")).entryList({QStringLiteral("*.recovery")}, QDir::Files);
        QCOMPARE(left.size(), 1);
        QVERIFY(left.first().contains(QLatin1Char('.') + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-')));
    }

    void twoCopiesEndedBySignalsKeepBothTexts_data()
    {
        QTest::addColumn<bool>("newDocuments");
        QTest::newRow("two new documents") << true;
        QTest::newRow("one file in both") << false;
    }

    void twoCopiesEndedBySignalsKeepBothTexts()
    {
        QFETCH(bool, newDocuments);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString source = home.filePath(QStringLiteral("prog.cpp"));
        {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("int main() {}\n");
        }
        const QString state = home.filePath(QStringLiteral("state"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state);
        const QString file = newDocuments ? QString() : source;
        QProcess alpha;
        QProcess bravo;
        QVERIFY(startTyping(alpha, environment, {file, QStringLiteral("type=ALPHA")}));
        QVERIFY(startTyping(bravo, environment, {file, QStringLiteral("type=BRAVO")}));
        for (QProcess *kvn : {&alpha, &bravo}) {
            QVERIFY(::kill(pid_t(kvn->processId()), SIGTERM) == 0);
            QVERIFY(kvn->waitForFinished(10000));
        }
        QStringList kept;
        const QDir folder(state + QStringLiteral("/kvn"));
        for (const QString &name : folder.entryList({QStringLiteral("*.recovery")}, QDir::Files)) {
            QFile recovery(folder.filePath(name));
            QVERIFY(recovery.open(QIODevice::ReadOnly));
            const QByteArray bytes = recovery.readAll();
            kept.append(bytes.contains("ALPHA") ? QStringLiteral("ALPHA") : bytes.contains("BRAVO") ? QStringLiteral("BRAVO")
                                                                                                    : QStringLiteral("?"));
        }
        kept.sort();
        QCOMPARE(kept, (QStringList{QStringLiteral("ALPHA"), QStringLiteral("BRAVO")}));
    }
};

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--kvn") == 0)
        return runKvn(argc, argv);
    QApplication app(argc, argv);
    TestRecoverySignal test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recoverysignal.moc"
