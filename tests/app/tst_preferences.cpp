#include "support/mainformfixture.h"

#include <QTest>

// Options > KVN through the main window: each command applies its change and
// writes "kvn.txt" only when the change leaves a default or the file is
// already there.

namespace {

const QString settingsPath = QStringLiteral("/home/user/project/kvn.txt");
const QString noticeTitle = QStringLiteral("Some information...");
constexpr Colour blue = 0xFF0000;
constexpr Colour green = 0x00FF00;
// Painted on the label before a command, to see whether the command repaints it.
constexpr Colour stale = 0x123456;

// A settings file holding the defaults, as an earlier run may have left it.
QByteArray defaultFile(bool fileSaved = true, bool deleteQuestion = false)
{
    return QByteArray(" 8 \r\n") + (fileSaved ? "True" : "False") + "\r\n" + (deleteQuestion ? "True" : "False")
           + "\r\n/usr/bin/kvncc\r\n\r\n 16777215 \r\n 0 \r\n 255 \r\n 65535 \r\n";
}

struct Fixture : MainFormFixture
{
    // Starts KVN, with or without a settings file, and forgets what the
    // start-up did so that only the command under test is seen.
    explicit Fixture(std::optional<QByteArray> settings = std::nullopt)
    {
        if (settings)
            files.files.insert(settingsPath, *settings);
        form.Form_Load(QString());
        messages.calls.clear();
        files.writes.clear();
    }

    bool hasFile() const { return files.files.contains(settingsPath); }
    qsizetype writes() const { return files.writes.count(settingsPath); }
    qsizetype notices() const { return messages.titles().count(noticeTitle); }
    Settings stored() const { return SettingsFormat::read(files.files.value(settingsPath)); }
    QByteArray firstLine() const { return files.files.value(settingsPath).split('\n').value(0); }

    void setFont(const QString &typed)
    {
        messages.typeNext(typed);
        form.preferences.mnuFont_Click();
    }
};

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private slots:
    void fontSize_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("size");
        QTest::addColumn<QByteArray>("line1"); // empty: nothing written

        QTest::newRow("12.9 sets 12") << false << QStringLiteral("12.9") << 12.0 << QByteArray(" 12 \r");
        QTest::newRow("9.75 is stored as 9") << false << QStringLiteral("9.75") << 9.0 << QByteArray(" 9 \r");
        QTest::newRow("spaces around") << false << QStringLiteral("  14 ") << 14.0 << QByteArray(" 14 \r");
        QTest::newRow("8 without a file writes nothing") << false << QStringLiteral("8") << 8.0 << QByteArray();
        QTest::newRow("8.6 without a file writes nothing") << false << QStringLiteral("8.6") << 8.0 << QByteArray();
        QTest::newRow("letters leave the size") << false << QStringLiteral("big") << 8.0 << QByteArray();
        QTest::newRow("cancel leaves the size") << false << QString() << 8.0 << QByteArray();
        QTest::newRow("negative is refused") << false << QStringLiteral("-3") << 8.0 << QByteArray();
        QTest::newRow("below one is refused") << false << QStringLiteral("0.5") << 8.0 << QByteArray();
        QTest::newRow("8 into an existing file") << true << QStringLiteral("8") << 8.0 << QByteArray(" 8 \r");
        QTest::newRow("10 into an existing file") << true << QStringLiteral("10") << 10.0 << QByteArray(" 10 \r");
        QTest::newRow("letters still rewrite an existing file") << true << QStringLiteral("x") << 8.0
                                                                << QByteArray(" 8 \r");
        QTest::newRow("cancel still rewrites an existing file") << true << QString() << 8.0 << QByteArray(" 8 \r");
    }

    void fontSize()
    {
        QFETCH(bool, withFile);
        QFETCH(QString, typed);
        QFETCH(double, size);
        QFETCH(QByteArray, line1);
        Fixture f(withFile ? std::optional(defaultFile()) : std::nullopt);

        f.setFont(typed);

        QCOMPARE(f.messages.calls.value(0).title, QStringLiteral("Enter a font size"));
        QCOMPARE(f.messages.calls.value(0).text, QStringLiteral("Enter a font size. Default = 8"));
        QCOMPARE(f.messages.calls.value(0).defaultText, QStringLiteral("8"));
        QCOMPARE(f.Text1.fontSize(), size);
        if (line1.isEmpty()) {
            QCOMPARE(f.writes(), 0);
            QVERIFY(!f.hasFile());
        } else {
            QCOMPARE(f.writes(), 1);
            QCOMPARE(f.firstLine(), line1);
        }
        // The notice comes only with the file's creation.
        QCOMPARE(f.notices(), !withFile && !line1.isEmpty() ? 1 : 0);
    }

    void fontSizeThereAndBack()
    {
        Fixture f;
        f.setFont(QStringLiteral("8"));
        QVERIFY(!f.hasFile());
        QVERIFY(f.messages.titles() == QStringList{QStringLiteral("Enter a font size")});

        f.setFont(QStringLiteral("10"));
        QCOMPARE(f.firstLine(), QByteArray(" 10 \r"));
        QCOMPARE(f.notices(), 1);
        const FakeMessages::Call notice = f.messages.calls.last();
        QCOMPARE(notice.buttons, Buttons::Ok);
        QCOMPARE(notice.icon, Icon::Information);
        QVERIFY(notice.text.startsWith(QStringLiteral("Since you have changed an option for KVN, KVN has created")));
        QVERIFY(notice.text.endsWith(QStringLiteral("will use the default options.")));

        f.setFont(QStringLiteral("8"));
        QCOMPARE(f.messages.calls.last().defaultText, QStringLiteral("10"));
        QCOMPARE(f.files.files.value(settingsPath), defaultFile());
        QCOMPARE(f.notices(), 1);
        QCOMPARE(f.writes(), 2);
    }

    void colours_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<QList<int>>("replies"); // one per question asked
        QTest::addColumn<QList<int>>("picks");   // one per dialog shown; -1 cancels it
        QTest::addColumn<QList<int>>("colours"); // FSaveB_Y, FSaveT_Y, FSaveB_N, FSaveT_N afterwards
        QTest::addColumn<bool>("repainted");
        QTest::addColumn<bool>("written");

        const int Y = int(Reply::Yes), N = int(Reply::No), C = int(Reply::Cancel);
        const QList<int> defaults{int(Colours::white), int(Colours::black), int(Colours::red), int(Colours::yellow)};

        QTest::newRow("No to all, no file: nothing written")
            << false << false << QList<int>{N, N, N, N} << QList<int>{} << defaults << true << false;
        QTest::newRow("white again at step 1, no file: nothing written")
            << false << false << QList<int>{Y, N, N, N} << QList<int>{int(Colours::white)} << defaults << true << false;
        QTest::newRow("cancelled dialog keeps the colour and goes on")
            << false << false << QList<int>{N, Y, N, N} << QList<int>{-1} << defaults << true << false;
        QTest::newRow("blue at step 3, unsaved document: label turns blue, file created")
            << false << true << QList<int>{N, N, Y, N} << QList<int>{int(blue)}
            << QList<int>{int(Colours::white), int(Colours::black), int(blue), int(Colours::yellow)} << true << true;
        QTest::newRow("blue at step 3, saved document: file created")
            << false << false << QList<int>{N, N, Y, N} << QList<int>{int(blue)}
            << QList<int>{int(Colours::white), int(Colours::black), int(blue), int(Colours::yellow)} << true << true;
        QTest::newRow("Cancel at step 2 after a pick at step 1")
            << false << false << QList<int>{Y, C} << QList<int>{int(green)}
            << QList<int>{int(green), int(Colours::black), int(Colours::red), int(Colours::yellow)} << false << false;
        QTest::newRow("Cancel at step 4 after a pick at step 3, unsaved")
            << false << true << QList<int>{N, N, Y, C} << QList<int>{int(blue)}
            << QList<int>{int(Colours::white), int(Colours::black), int(blue), int(Colours::yellow)} << false << false;
        QTest::newRow("all four picked") << false << false << QList<int>{Y, Y, Y, Y} << QList<int>{1, 2, 3, 4}
                                         << QList<int>{1, 2, 3, 4} << true << true;
        QTest::newRow("No to all with a file: rewritten")
            << true << false << QList<int>{N, N, N, N} << QList<int>{} << defaults << true << true;
        QTest::newRow("Cancel at step 1 with a file: nothing written")
            << true << false << QList<int>{C} << QList<int>{} << defaults << false << false;
    }

    void colours()
    {
        QFETCH(bool, withFile);
        QFETCH(bool, unsaved);
        QFETCH(QList<int>, replies);
        QFETCH(QList<int>, picks);
        QFETCH(QList<int>, colours);
        QFETCH(bool, repainted);
        QFETCH(bool, written);
        Fixture f(withFile ? std::optional(defaultFile()) : std::nullopt);
        if (unsaved)
            f.Text1.type(QStringLiteral("x"));
        f.lblFilename.setColours(stale, stale);
        for (const int reply : replies)
            f.messages.answerNext(Reply(reply));
        for (const int pick : picks)
            f.dialogs.pickColourNext(pick < 0 ? std::nullopt : std::optional<Colour>(Colour(pick)));
        const IndicatorColours before = f.form.state.colours;

        f.form.preferences.mnuColor_Click();

        const IndicatorColours want{Colour(colours[0]), Colour(colours[1]), Colour(colours[2]), Colour(colours[3])};
        QCOMPARE(f.form.state.colours, want);

        // The questions in order, up to the one cancelled.
        const QStringList titles{QStringLiteral("1 of 4"), QStringLiteral("2 of 4"), QStringLiteral("3 of 4"),
                                 QStringLiteral("4 of 4")};
        const QStringList texts{QStringLiteral("Change the background color for file saved?"),
                                QStringLiteral("Change the text color for file saved?"),
                                QStringLiteral("Change the background color for file unsaved?"),
                                QStringLiteral("Change the text color for file unsaved?")};
        QVERIFY(f.messages.calls.size() >= replies.size());
        for (int i = 0; i < replies.size(); ++i) {
            QCOMPARE(f.messages.calls[i].title, titles[i]);
            QCOMPARE(f.messages.calls[i].text, texts[i]);
            QCOMPARE(f.messages.calls[i].buttons, Buttons::YesNoCancel);
            QCOMPARE(f.messages.calls[i].icon, Icon::Question);
        }
        // Each dialog opens on the colour it may replace.
        const Colour beforeByStep[] = {before.FSaveB_Y, before.FSaveT_Y, before.FSaveB_N, before.FSaveT_N};
        QCOMPARE(f.dialogs.calls.size(), picks.size());
        for (int i = 0, dialog = 0; i < replies.size(); ++i) {
            if (replies[i] == int(Reply::Yes))
                QCOMPARE(f.dialogs.calls[dialog++].initial, beforeByStep[i]);
        }

        if (repainted) {
            const IndicatorColours &c = f.form.state.colours;
            QCOMPARE(f.lblFilename.background(), unsaved ? c.FSaveB_N : c.FSaveB_Y);
            QCOMPARE(f.lblFilename.textColour(), unsaved ? c.FSaveT_N : c.FSaveT_Y);
        } else {
            QCOMPARE(f.lblFilename.background(), stale);
        }
        QCOMPARE(f.writes(), written ? 1 : 0);
        if (written)
            QCOMPARE(f.stored().colours, want);
        QCOMPARE(f.hasFile(), withFile || written);
        QCOMPARE(f.notices(), written && !withFile ? 1 : 0);
    }

    // The colour picked before a cancel shows with the next edit.
    void colourKeptAfterACancelShowsLater()
    {
        Fixture f;
        f.messages.answerNext(Reply::No);
        f.messages.answerNext(Reply::No);
        f.messages.answerNext(Reply::Yes);
        f.messages.answerNext(Reply::Cancel);
        f.dialogs.pickColourNext(blue);
        f.form.preferences.mnuColor_Click();
        QCOMPARE(f.lblFilename.background(), Colours::white);
        f.Text1.type(QStringLiteral("x"));
        QCOMPARE(f.lblFilename.background(), blue);
        QVERIFY(!f.hasFile());
    }

    void doubleClickOnTheFileLabel_data()
    {
        QTest::addColumn<int>("reply");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("Yes asks the four questions")
            << int(Reply::Yes)
            << QStringList{QStringLiteral("Change colors?"), QStringLiteral("1 of 4"), QStringLiteral("2 of 4"),
                           QStringLiteral("3 of 4"), QStringLiteral("4 of 4"), noticeTitle};
        QTest::newRow("No does nothing") << int(Reply::No) << QStringList{QStringLiteral("Change colors?")};
    }

    void doubleClickOnTheFileLabel()
    {
        QFETCH(int, reply);
        QFETCH(QStringList, titles);
        Fixture f;
        f.messages.answerNext(Reply(reply));
        for (int i = 0; i < 4; ++i)
            f.messages.answerNext(Reply::Yes);
        for (int i = 0; i < 4; ++i)
            f.dialogs.pickColourNext(Colour(i + 1));
        f.form.preferences.lblFilename_DblClick();
        QCOMPARE(f.messages.titles(), titles);
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("Do you want to change the color for this?"));
        QCOMPARE(f.messages.calls[0].buttons, Buttons::YesNo);
        QCOMPARE(f.messages.calls[0].icon, Icon::Question);
        QCOMPARE(f.form.state.colours.isDefault(), reply != int(Reply::Yes));
        QCOMPARE(f.hasFile(), reply == int(Reply::Yes));
    }

    void toggles_data()
    {
        QTest::addColumn<bool>("fileSavedItem"); // else the delete-intermediates item
        QTest::addColumn<bool>("checkedBefore");
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<bool>("written");

        QTest::newRow("File Saved off, no file: created") << true << true << false << true;
        QTest::newRow("File Saved off, with a file") << true << true << true << true;
        QTest::newRow("File Saved on, no file: nothing") << true << false << false << false;
        QTest::newRow("File Saved on, with a file") << true << false << true << true;
        QTest::newRow("Delete on, no file: created") << false << false << false << true;
        QTest::newRow("Delete on, with a file") << false << false << true << true;
        QTest::newRow("Delete off, no file: nothing") << false << true << false << false;
        QTest::newRow("Delete off, with a file") << false << true << true << true;
    }

    void toggles()
    {
        QFETCH(bool, fileSavedItem);
        QFETCH(bool, checkedBefore);
        QFETCH(bool, withFile);
        QFETCH(bool, written);
        // The switch stands as the file (or, without one, the user) left it.
        const bool fileSavedBefore = fileSavedItem ? checkedBefore : true;
        const bool deleteBefore = fileSavedItem ? false : checkedBefore;
        Fixture f(withFile ? std::optional(defaultFile(fileSavedBefore, deleteBefore)) : std::nullopt);
        f.mnuFileSaved.setChecked(fileSavedBefore);
        f.mnuDelete.setChecked(deleteBefore);

        if (fileSavedItem)
            f.form.preferences.mnuFileSaved_Click();
        else
            f.form.preferences.mnuDelete_Click();

        FakeMenuItem &item = fileSavedItem ? f.mnuFileSaved : f.mnuDelete;
        QCOMPARE(item.isChecked(), !checkedBefore);
        QCOMPARE(f.writes(), written ? 1 : 0);
        QCOMPARE(f.notices(), written && !withFile ? 1 : 0);
        QCOMPARE(f.messages.calls.size(), f.notices());
        if (written) {
            const Settings stored = f.stored();
            QCOMPARE(stored.fileSavedConfirmation, f.mnuFileSaved.isChecked());
            QCOMPARE(stored.deleteIntermediates, f.mnuDelete.isChecked());
        }
    }

    // A file removed while KVN runs is treated as never created: returning
    // to a default writes nothing, leaving one recreates the file with the
    // notice.
    void fileDeletedWhileRunning_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("written");
        QTest::newRow("font back to 8") << 0 << false;
        QTest::newRow("File Saved back on") << 1 << false;
        QTest::newRow("Delete back off") << 2 << false;
        QTest::newRow("No to all colours") << 3 << false;
        QTest::newRow("font 10") << 4 << true;
        QTest::newRow("File Saved off") << 5 << true;
    }

    void fileDeletedWhileRunning()
    {
        QFETCH(int, command);
        QFETCH(bool, written);
        const bool fileSavedOn = command != 1;
        const bool deleteOn = command == 2;
        Fixture f(defaultFile(fileSavedOn, deleteOn));
        QVERIFY(f.form.settingsFile.GotSave);
        QVERIFY(f.files.remove(settingsPath));

        switch (command) {
        case 0:
            f.setFont(QStringLiteral("8"));
            break;
        case 4:
            f.setFont(QStringLiteral("10"));
            break;
        case 1:
        case 5:
            f.form.preferences.mnuFileSaved_Click();
            break;
        case 2:
            f.form.preferences.mnuDelete_Click();
            break;
        case 3:
            for (int i = 0; i < 4; ++i)
                f.messages.answerNext(Reply::No);
            f.form.preferences.mnuColor_Click();
            break;
        }

        QCOMPARE(f.hasFile(), written);
        QCOMPARE(f.writes(), written ? 1 : 0);
        QCOMPARE(f.notices(), written ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
