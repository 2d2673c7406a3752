#include "platform/qt/qtstatefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <future>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
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
        QCOMPARE(files.read(QStringLiteral("a"), 1024), std::nullopt);
        QVERIFY(!QFile::exists(folder)); // reading makes nothing
        files.write(QStringLiteral("a"), [] { return QByteArray("text\n"); });
        QCOMPARE(files.read(QStringLiteral("a"), 1024), std::optional<QByteArray>("text\n"));
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
        QCOMPARE(files.read(QStringLiteral("a"), 1024), std::nullopt); // a link is not read either
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
        QCOMPARE(files.read(QStringLiteral("a"), 1024), std::nullopt);
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

    void readsNoMoreThanTheLimit_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("read");
        QTest::newRow("under the size") << qint64(4) << false;
        QTest::newRow("the size") << qint64(5) << true;
        QTest::newRow("over the size") << qint64(6) << true;
    }

    void readsNoMoreThanTheLimit()
    {
        QFETCH(qint64, limit);
        QFETCH(bool, read);
        QTemporaryDir home;
        QtStateFiles files(home.path());
        put(home.filePath(QStringLiteral("a")), "12345");
        QCOMPARE(files.size(QStringLiteral("a")), std::optional<qint64>(5));
        QCOMPARE(files.read(QStringLiteral("a"), limit),
                 read ? std::optional<QByteArray>("12345") : std::optional<QByteArray>());
    }

    void namesArePlainFilesNotHidden()
    {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        QtStateFiles files(folder);
        QCOMPARE(files.names(), QStringList{});
        files.write(QStringLiteral("b"), [] { return QByteArray("x"); });
        files.write(QStringLiteral("a"), [] { return QByteArray("x"); });
        QVERIFY(files.claim(QStringLiteral("a")));
        put(folder + QStringLiteral("/.hidden"), "x");
        QVERIFY(QDir(folder).mkdir(QStringLiteral("folder")));
        QVERIFY(QFile::link(folder + QStringLiteral("/a"), folder + QStringLiteral("/link")));
        QCOMPARE(files.names(), (QStringList{"a", "b"}));
        QCOMPARE(files.size(QStringLiteral("link")), std::nullopt);
        QCOMPARE(files.size(QStringLiteral("missing")), std::nullopt);
    }

    void leftoversOfEndedWritesAreRemoved()
    {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        QVERIFY(QDir().mkpath(folder));
        // Left by a copy killed in mid-write, and one a copy is writing now.
        put(folder + QStringLiteral("/.a.recovery.4242.tmp"), "half");
        const QString busy = folder + QStringLiteral("/.b.recovery.4343.tmp");
        put(busy, "being written");
        const int writer = ::open(QFile::encodeName(busy).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(writer >= 0);
        QCOMPARE(::flock(writer, LOCK_EX), 0);
        put(folder + QStringLiteral("/a.recovery"), "whole");
        // Marks: of a copy that ended, for no file; of one that ended, for
        // a file; of a copy still running, for no file.
        put(folder + QStringLiteral("/.gone.shown.claim"), "");
        put(folder + QStringLiteral("/.a.recovery.claim"), "");
        QtStateFiles running(folder);
        QVERIFY(running.claim(QStringLiteral("held.shown")));
        QtStateFiles files(folder);
        files.removeLeftovers();
        files.finish();
        ::close(writer);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{".a.recovery.claim", ".b.recovery.4343.tmp", ".held.shown.claim", "a.recovery"}));
    }

    void aWriteThatFailsSaysWhy_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<QString>("error");
        QTest::newRow("a file in the parent folder's place") << QStringLiteral("state") << QStringLiteral("Not a directory");
        QTest::newRow("a link in the folder's place") << QStringLiteral("state/kvn") << QStringLiteral("it is a symbolic link");
    }

    void aWriteThatFailsSaysWhy()
    {
        QFETCH(QString, blocker);
        QFETCH(QString, error);
        QTemporaryDir home;
        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("elsewhere"))));
        QVERIFY(QDir().mkpath(QFileInfo(home.filePath(blocker)).path()));
        if (blocker.endsWith(QLatin1String("kvn")))
            QVERIFY(QFile::link(home.filePath(QStringLiteral("elsewhere")), home.filePath(blocker)));
        else
            put(home.filePath(blocker), "x");
        QtStateFiles files(home.filePath(QStringLiteral("state/kvn")));
        QCOMPARE(files.writeError(), std::nullopt);
        files.write(QStringLiteral("a"), [] { return QByteArray("x"); });
        files.finish();
        QCOMPARE(files.writeError(), std::optional<QString>(error));
    }

    void aWriteThatWorksClearsTheError()
    {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        QtStateFiles files(folder);
        put(folder, "in the way");
        files.write(QStringLiteral("a"), [] { return QByteArray("x"); });
        files.finish();
        QVERIFY(files.writeError());
        QVERIFY(QFile::remove(folder));
        files.write(QStringLiteral("a"), [] { return QByteArray("x"); });
        files.finish();
        QCOMPARE(files.writeError(), std::nullopt);
    }

    void aReleaseWaitsForTheRemovalAskedBefore()
    {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        QtStateFiles first(folder);
        QtStateFiles second(folder);
        std::promise<void> gate;
        std::shared_future<void> opened = gate.get_future().share();
        QVERIFY(first.claim(QStringLiteral("a")));
        // A write the worker is still busy with, then the removal and release.
        first.write(QStringLiteral("a"), [opened] {
            opened.wait();
            return QByteArray("x");
        });
        first.remove(QStringLiteral("a"));
        first.release(QStringLiteral("a"));
        QVERIFY(!second.claim(QStringLiteral("a")));
        gate.set_value();
        first.finish();
        QVERIFY(!QFile::exists(folder + QStringLiteral("/a")));
        QVERIFY(second.claim(QStringLiteral("a")));
    }

    void aClaimMadeAgainOutlivesAnEarlierRelease()
    {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        QtStateFiles first(folder);
        QtStateFiles second(folder);
        std::promise<void> gate;
        std::shared_future<void> opened = gate.get_future().share();
        QVERIFY(first.claim(QStringLiteral("a")));
        first.write(QStringLiteral("b"), [opened] {
            opened.wait();
            return QByteArray("x");
        });
        first.release(QStringLiteral("a"));
        QVERIFY(first.claim(QStringLiteral("a")));
        gate.set_value();
        first.finish();
        QVERIFY(!second.claim(QStringLiteral("a")));
    }
};

QTEST_GUILESS_MAIN(TestQtStateFiles)
#include "tst_qtstatefiles.moc"
