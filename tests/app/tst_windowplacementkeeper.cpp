#include "app/windowplacementkeeper.h"

#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakefolders.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/faketimer.h"

#include <QTest>

namespace {

const QString configFolder = QStringLiteral("/home/u/.config/kvn");
const QString placementFile = configFolder + QStringLiteral("/window.conf");
constexpr TwipSize minimum{6660, 6480};

TwipRect px(int left, int top, int width, int height)
{
    return {Twips::fromPixels(left), Twips::fromPixels(top), Twips::fromPixels(width), Twips::fromPixels(height)};
}

QString describe(const WindowPlacement &p)
{
    const TwipRect &r = p.bounds;
    return QStringLiteral("%1,%2 %3x%4 twips %5")
        .arg(r.left)
        .arg(r.top)
        .arg(r.width)
        .arg(r.height)
        .arg(p.maximised ? QStringLiteral("maximised") : QStringLiteral("normal"));
}

struct Fixture
{
    FakeFileSystem files;
    FakeFolders folders{files};
    FakeFormWindow window;
    FakeTimer timer;
    std::unique_ptr<WindowPlacementKeeper> keeper;

    Fixture()
    {
        window.screens = {px(0, 0, 1920, 1050)};
        timer.setEnabled(false);
    }

    void start(const QString &file = placementFile)
    {
        keeper = std::make_unique<WindowPlacementKeeper>(WindowPlacementKeeper::Services{window, files, folders, timer}, file);
    }

    // The file's placement, as text that a failed comparison shows.
    QString kept() const
    {
        if (!files.files.contains(placementFile))
            return QStringLiteral("(no file)");
        const std::optional<WindowPlacement> placement = WindowPlacement::parse(files.files.value(placementFile));
        return placement ? describe(*placement) : QStringLiteral("(unreadable)");
    }

    void userMovesTo(const TwipRect &r)
    {
        window.setOuterSize({r.width, r.height});
        window.moveTo({r.left, r.top});
    }
};

} // namespace

// What the window placement keeper reads at start, when it writes and what
// it keeps of a window that is maximised or minimised.
class TestWindowPlacementKeeper : public QObject
{
    Q_OBJECT

private slots:
    void startWithoutFileLeavesTheWindow()
    {
        Fixture f;
        f.window.moveTo({1500, 1500});
        f.start();
        QVERIFY(!f.keeper->restore(minimum));
        QCOMPARE(f.window.outerSize(), (TwipSize{6660, 6480}));
        QCOMPARE(f.window.corner(), (TwipPoint{1500, 1500}));
        QCOMPARE(f.window.state(), WindowState::Normal);
    }

    void startPutsTheWindowWhereTheFileSays()
    {
        Fixture f;
        f.files.files.insert(placementFile, WindowPlacement{px(200, 100, 900, 700), false}.toText());
        f.start();
        QVERIFY(f.keeper->restore(minimum));
        QCOMPARE(f.window.outerSize(), (TwipSize{Twips::fromPixels(900), Twips::fromPixels(700)}));
        QCOMPARE(f.window.corner(), (TwipPoint{Twips::fromPixels(200), Twips::fromPixels(100)}));
        QCOMPARE(f.window.state(), WindowState::Normal);
    }

    void startMaximisedKeepsTheNormalSizeForLater()
    {
        Fixture f;
        f.files.files.insert(placementFile, WindowPlacement{px(200, 100, 900, 700), true}.toText());
        f.start();
        QVERIFY(f.keeper->restore(minimum));
        QCOMPARE(f.window.state(), WindowState::Maximised);
        f.window.unload();
        QCOMPARE(f.kept(), describe(WindowPlacement{px(200, 100, 900, 700), true}));
    }

    void unusableFileIsIgnored_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("garbage") << QByteArray("\x7f" "ELF\x02\x01\x01 not a placement");
        QTest::newRow("width missing") << QByteArray("left=1\ntop=1\nheight=500\n");
        QTest::newRow("huge") << WindowPlacement{px(200, 100, 900, 700), false}.toText().repeated(1000);
    }

    void unusableFileIsIgnored()
    {
        QFETCH(QByteArray, text);
        Fixture f;
        f.files.files.insert(placementFile, text);
        f.window.moveTo({1500, 1500});
        f.start();
        QVERIFY(!f.keeper->restore(minimum));
        QCOMPARE(f.window.outerSize(), (TwipSize{6660, 6480}));
        QCOMPARE(f.window.corner(), (TwipPoint{1500, 1500}));
        // The next save puts a good file in its place.
        f.window.unload();
        QCOMPARE(f.kept(), describe(WindowPlacement{TwipRect{1500, 1500, 6660, 6480}, false}));
    }

    void offScreenPlaceIsBroughtBack()
    {
        Fixture f;
        f.files.files.insert(placementFile, WindowPlacement{px(5000, -3000, 900, 700), false}.toText());
        f.start();
        QVERIFY(f.keeper->restore(minimum));
        QCOMPARE(f.window.corner(), (TwipPoint{Twips::fromPixels(510), Twips::fromPixels(175)}));
    }

    void writesOnlyOnceTheWindowSettles()
    {
        Fixture f;
        f.start();
        f.userMovesTo(px(10, 20, 600, 500));
        QVERIFY(f.files.writes.isEmpty());
        QVERIFY(f.timer.isEnabled());
        QCOMPARE(f.timer.interval(), WindowPlacementKeeper::settleMs);
        f.userMovesTo(px(30, 40, 650, 550));
        QVERIFY(f.timer.tick());
        QCOMPARE(f.files.writes, QStringList{placementFile});
        QCOMPARE(f.files.replaced, QStringList{placementFile});
        QVERIFY(!f.timer.isEnabled());
        QCOMPARE(f.kept(), describe(WindowPlacement{px(30, 40, 650, 550), false}));
        QCOMPARE(f.folders.made, QStringList{configFolder});
    }

    void unchangedPlacementIsNotRewritten()
    {
        Fixture f;
        f.files.files.insert(placementFile, WindowPlacement{px(200, 100, 900, 700), false}.toText());
        f.start();
        QVERIFY(f.keeper->restore(minimum));
        f.timer.tick();
        f.window.unload();
        QVERIFY(f.files.writes.isEmpty());
    }

    void maximisedWindowKeepsItsNormalBounds()
    {
        Fixture f;
        f.start();
        f.userMovesTo(px(10, 20, 600, 500));
        // Maximised before the window settled: the normal bounds are those
        // it had just before.
        f.window.maximiseTo({Twips::fromPixels(1920), Twips::fromPixels(1050)});
        f.window.moveTo({0, 0});
        QVERIFY(f.timer.tick());
        QCOMPARE(f.kept(), describe(WindowPlacement{px(10, 20, 600, 500), true}));
        f.window.restoreNormal();
        f.window.moveTo({Twips::fromPixels(10), Twips::fromPixels(20)});
        f.window.unload();
        QCOMPARE(f.kept(), describe(WindowPlacement{px(10, 20, 600, 500), false}));
    }

    void minimisedWindowIsKeptAsNormal()
    {
        Fixture f;
        f.start();
        f.userMovesTo(px(10, 20, 600, 500));
        f.window.setState(WindowState::Minimised);
        f.window.unload();
        QCOMPARE(f.kept(), describe(WindowPlacement{px(10, 20, 600, 500), false}));
    }

    void closingWritesAtOnce()
    {
        Fixture f;
        f.start();
        f.userMovesTo(px(10, 20, 600, 500));
        f.window.unload();
        QCOMPARE(f.kept(), describe(WindowPlacement{px(10, 20, 600, 500), false}));
        QVERIFY(!f.timer.isEnabled());
    }

    void lastToCloseWins()
    {
        Fixture f;
        FakeFormWindow other;
        FakeTimer otherTimer;
        f.start();
        WindowPlacementKeeper second({other, f.files, f.folders, otherTimer}, placementFile);
        other.setOuterSize({Twips::fromPixels(700), Twips::fromPixels(600)});
        other.moveTo({Twips::fromPixels(300), Twips::fromPixels(300)});
        f.userMovesTo(px(10, 20, 600, 500));
        other.unload();
        f.window.unload();
        QCOMPARE(f.kept(), describe(WindowPlacement{px(10, 20, 600, 500), false}));
    }

    void unwritableFolderIsNoError()
    {
        Fixture f;
        f.folders.refuse(configFolder);
        f.start();
        f.userMovesTo(px(10, 20, 600, 500));
        f.window.unload();
        QCOMPARE(f.kept(), QStringLiteral("(no file)"));
        QVERIFY(f.files.writes.isEmpty());
    }

    void noFileNameKeepsNothing()
    {
        Fixture f;
        f.start(QString());
        QVERIFY(!f.keeper->restore(minimum));
        f.userMovesTo(px(10, 20, 600, 500));
        QVERIFY(!f.timer.isEnabled());
        f.window.unload();
        QVERIFY(f.files.writes.isEmpty());
    }

    void defaultFile_data()
    {
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<QString>("expected");
        QTest::newRow("XDG_CONFIG_HOME") << QStringLiteral("/cfg") << QStringLiteral("/cfg/kvn/window.conf");
        QTest::newRow("unset") << QString() << QStringLiteral("/home/u/.config/kvn/window.conf");
        QTest::newRow("relative is ignored") << QStringLiteral("cfg") << QStringLiteral("/home/u/.config/kvn/window.conf");
    }

    void defaultFile()
    {
        QFETCH(QString, configHome);
        QFETCH(QString, expected);
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), QStringLiteral("/home/u"));
        if (!configHome.isNull())
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        QCOMPARE(WindowPlacementKeeper::defaultFile(environment), expected);
    }
};

QTEST_GUILESS_MAIN(TestWindowPlacementKeeper)
#include "tst_windowplacementkeeper.moc"
