#include "platform/qt/qtstatefiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <thread>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool isLink(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

} // namespace

class TestQtStateFiles : public QObject
{
    Q_OBJECT

private slots:
    void folderFollowsTheBaseDirectoryRules_data()
    {
        QTest::addColumn<QString>("stateHome");
        QTest::addColumn<QString>("expected");
        QTest::newRow("XDG_STATE_HOME") << QStringLiteral("/data/state") << QStringLiteral("/data/state/kvn");
        QTest::newRow("unset") << QString() << QStringLiteral("/home/ann/.local/state/kvn");
        QTest::newRow("relative, so ignored") << QStringLiteral("state") << QStringLiteral("/home/ann/.local/state/kvn");
    }

    void folderFollowsTheBaseDirectoryRules()
    {
        QFETCH(QString, stateHome);
        QFETCH(QString, expected);
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), QStringLiteral("/home/ann"));
        if (!stateHome.isNull())
            environment.insert(QStringLiteral("XDG_STATE_HOME"), stateHome);
        QCOMPARE(QtStateFiles::defaultFolder(environment), expected);
    }

    void writesPrivateFilesInAPrivateFolder()
    {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral(".local/state/kvn"));
        QtStateFiles files(folder);
        QCOMPARE(files.read(QStringLiteral("a")), std::nullopt);
        QVERIFY(!QFile::exists(folder)); // reading makes nothing
        files.write(QStringLiteral("a"), [] { return QByteArray("text\n"); });
        QCOMPARE(files.read(QStringLiteral("a")), std::optional<QByteArray>("text\n"));
        QCOMPARE(modeOf(folder), mode_t(0700));
        QCOMPARE(modeOf(home.filePath(QStringLiteral(".local/state"))), mode_t(0700));
        QCOMPARE(modeOf(folder + QStringLiteral("/a")), mode_t(0600));
        // Nothing is left beside it.
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"a"});
    }

    void closesAFolderOthersMayEnter()
    {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        QtStateFiles files(folder);
        files.write(QStringLiteral("a"), [] { return QByteArray("x"); });
        files.finish();
        QCOMPARE(modeOf(folder), mode_t(0700));
    }

    void replacesALinkInsteadOfWritingThroughIt()
    {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        QVERIFY(QDir().mkdir(folder));
        const QString outside = home.filePath(QStringLiteral("precious"));
        QFile precious(outside);
        QVERIFY(precious.open(QIODevice::WriteOnly));
        precious.write("keep me");
        precious.close();
        QVERIFY(QFile::link(outside, folder + QStringLiteral("/a")));
        QtStateFiles files(folder);
        QCOMPARE(files.read(QStringLiteral("a")), std::nullopt); // a link is not read either
        files.write(QStringLiteral("a"), [] { return QByteArray("new"); });
        files.finish();
        QCOMPARE(contentOf(outside), QByteArray("keep me"));
        QVERIFY(!isLink(folder + QStringLiteral("/a")));
        QCOMPARE(contentOf(folder + QStringLiteral("/a")), QByteArray("new"));
    }

    void neverUsesAFolderThatIsALink()
    {
        QTemporaryDir home;
        const QString elsewhere = home.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkdir(elsewhere));
        const QString folder = home.filePath(QStringLiteral("kvn"));
        QVERIFY(QFile::link(elsewhere, folder));
        QtStateFiles files(folder);
        files.write(QStringLiteral("a"), [] { return QByteArray("x"); });
        files.finish();
        QVERIFY(QDir(elsewhere).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QCOMPARE(files.read(QStringLiteral("a")), std::nullopt);
    }

    void writesAndRemovalsTakeEffectInTheOrderAsked_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("left");
        QTest::newRow("write, remove") << QStringList{"write 1", "remove"} << QByteArray("(missing)");
        QTest::newRow("remove, write") << QStringList{"remove", "write 1"} << QByteArray("1");
        QTest::newRow("write, write") << QStringList{"write 1", "write 2"} << QByteArray("2");
        QTest::newRow("write, remove, write") << QStringList{"write 1", "remove", "write 3"} << QByteArray("3");
    }

    void writesAndRemovalsTakeEffectInTheOrderAsked()
    {
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, left);
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        {
            QtStateFiles files(folder);
            for (const QString &step : std::as_const(steps)) {
                if (step == QLatin1String("remove")) {
                    files.remove(QStringLiteral("a"));
                } else {
                    const QByteArray bytes = step.mid(6).toLatin1();
                    // A slow first write must not let the later steps overtake it.
                    files.write(QStringLiteral("a"), [bytes] {
                        std::this_thread::sleep_for(std::chrono::milliseconds(50));
                        return bytes;
                    });
                }
            }
        } // the end of the program waits for what was asked
        QCOMPARE(contentOf(folder + QStringLiteral("/a")), left);
    }

    void aClaimHoldsOffOtherCopiesUntilReleased()
    {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        auto first = std::make_unique<QtStateFiles>(folder);
        QtStateFiles second(folder);
        QVERIFY(first->claim(QStringLiteral("a")));
        QVERIFY(first->claim(QStringLiteral("a")));
        QVERIFY(!second.claim(QStringLiteral("a")));
        QVERIFY(second.claim(QStringLiteral("b")));
        first->release(QStringLiteral("a"));
        QVERIFY(second.claim(QStringLiteral("a")));
        second.release(QStringLiteral("a"));
        // A copy that ends, however it ends, lets go of its claims.
        QVERIFY(first->claim(QStringLiteral("c")));
        first.reset();
        QVERIFY(second.claim(QStringLiteral("c")));
        QCOMPARE(modeOf(folder), mode_t(0700));
    }

    void producesTheBytesOffTheCallersThread()
    {
        QTemporaryDir home;
        QtStateFiles files(home.filePath(QStringLiteral("kvn")));
        std::thread::id producer;
        files.write(QStringLiteral("a"), [&producer] {
            producer = std::this_thread::get_id();
            return QByteArray("x");
        });
        files.finish();
        QVERIFY(producer != std::thread::id());
        QVERIFY(producer != std::this_thread::get_id());
    }
};

QTEST_GUILESS_MAIN(TestQtStateFiles)
#include "tst_qtstatefiles.moc"
