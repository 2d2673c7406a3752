#include "support/compilefixture.h"

#include <QTest>

class TestOptionList : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        FakeMessages messages;
        FakeFileDialogs dialogs;
        FakeFileSystem files;
        CompileFixture panel{messages, dialogs, files};
        OptionList &list = panel.optionList;
        FakeCheckList &List1 = panel.List1;
        OptionStore &store = panel.compile.options;

        // A click on an item's box: the tick changes, then the click arrives.
        void clickBox(int index)
        {
            List1.setCurrentIndex(index);
            List1.setChecked(index, !List1.isChecked(index));
            list.List1_Click();
        }
        void find(const QString &text)
        {
            messages.typeNext(text);
            list.cmdFind_Click();
        }
    };

private slots:
    void ticksAreKeptPerOption()
    {
        Fixture f;
        f.clickBox(3);
        QCOMPARE(f.store.ticks[3], QStringLiteral("1"));
        f.clickBox(3);
        QCOMPARE(f.store.ticks[3], QStringLiteral("0"));
        // A tick by program goes through the same handler, and ticking an
        // option that is already ticked changes nothing.
        f.List1.setCurrentIndex(50);
        f.list.tick(1);
        QCOMPARE(f.store.ticks[1], QStringLiteral("1"));
        f.list.tick(1);
        QCOMPARE(f.store.ticks[1], QStringLiteral("1"));
        QCOMPARE(f.store.ticks[50], QStringLiteral("0"));
        QCOMPARE(f.store.ticks.count(QStringLiteral("1")), 1);
        QVERIFY(f.messages.calls.isEmpty());
    }

    void tickingAValueItemAsks()
    {
        Fixture f;
        f.messages.typeNext(QStringLiteral("C:\\Lib"));
        f.clickBox(9);
        QCOMPARE(f.messages.calls.size(), 1);
        QVERIFY(f.messages.calls[0].isPrompt);
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("User input required. Please enter here:"));
        QCOMPARE(f.messages.calls[0].title, QStringLiteral("User input required."));
        QCOMPARE(f.messages.calls[0].defaultText, QString());
        QCOMPARE(f.store.values[9], QStringLiteral("C:\\Lib"));

        // A click on the ticked item asks again with an empty default; Cancel erases.
        f.messages.typeNext(QString());
        f.list.List1_Click();
        QCOMPARE(f.messages.calls[1].defaultText, QString());
        QCOMPARE(f.store.values[9], QString());
    }

    void untickingKeepsTheValue()
    {
        Fixture f;
        f.messages.typeNext(QStringLiteral("/usr/include"));
        f.clickBox(10);
        f.clickBox(10); // untick: no question
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.store.values[10], QStringLiteral("/usr/include"));
        QCOMPARE(f.store.ticks[10], QStringLiteral("0"));
        f.messages.typeNext(QStringLiteral("/opt/include"));
        f.clickBox(10);
        QCOMPARE(f.store.values[10], QStringLiteral("/opt/include"));
    }

    void itemsWithoutValuesNeverAsk()
    {
        Fixture f;
        f.clickBox(33); // "-H" without a value
        f.list.List1_Click();
        f.list.Command1_Click();
        QVERIFY(f.messages.calls.isEmpty());
        f.messages.typeNext(QStringLiteral("hdr.h"));
        f.clickBox(35); // "-H" with one
        QCOMPARE(f.store.values[35], QStringLiteral("hdr.h"));
        QCOMPARE(f.store.values[33], QString());
    }

    void noCurrentItemDoesNothing()
    {
        Fixture f;
        f.list.List1_Click();
        f.list.Command1_Click();
        QVERIFY(f.messages.calls.isEmpty());
    }

    void editValueShowsTheStoredValue()
    {
        Fixture f;
        f.store.setValue(10, QStringLiteral("/usr/local/include"));
        f.List1.setCurrentIndex(10);
        f.messages.typeNext(QStringLiteral("/new"));
        f.list.Command1_Click(); // the option need not be ticked
        QCOMPARE(f.messages.calls[0].defaultText, QStringLiteral("/usr/local/include"));
        QCOMPARE(f.store.values[10], QStringLiteral("/new"));
        f.messages.typeNext(QString());
        f.list.Command1_Click();
        QCOMPARE(f.store.values[10], QString());
        // Values are kept exactly as typed.
        f.messages.typeNext(QStringLiteral("a b \"q\" $HOME; rm\nx"));
        f.list.Command1_Click();
        QCOMPARE(f.store.values[10], QStringLiteral("a b \"q\" $HOME; rm\nx"));
    }

    void findWalksDownCaseSensitively()
    {
        Fixture f;
        f.find(QStringLiteral("-O"));
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("Enter the text you want to search for in the list above."));
        QCOMPARE(f.messages.calls[0].title, QStringLiteral("Search"));
        QCOMPARE(f.List1.currentIndex(), 6);
        QList<int> hits;
        for (int i = 0; i < 9; ++i) {
            f.list.cmdFindNext_Click();
            hits.append(f.List1.currentIndex());
        }
        QCOMPARE(hits, (QList<int>{7, 47, 48, 49, 50, 51, 52, 53, 53}));
        QCOMPARE(f.messages.calls.last().text, QStringLiteral("No more list entries with the text \"-O\" after this entry."));
        QCOMPARE(f.messages.calls.last().title, QStringLiteral("Find"));
        QCOMPARE(f.messages.calls.last().icon, Icon::Information);
        // A miss downwards keeps the last hit: the next ">" misses again.
        QCOMPARE(f.list.FindParamPos, 53);
        f.list.cmdFindNext_Click();
        QCOMPARE(f.messages.calls.size(), 3);
    }

    void lowerCaseTextFindsNothingDownwardsNorUpwards()
    {
        Fixture f;
        f.find(QStringLiteral("pentium"));
        QCOMPARE(f.List1.currentIndex(), -1);
        QCOMPARE(f.list.FindParamPos, -1);
        QVERIFY(f.messages.calls.last().text.endsWith(QLatin1String("after this entry.")));
        f.list.cmdFindPrev_Click();
        QCOMPARE(f.messages.calls.last().text, QStringLiteral("No more list entries with the text \"pentium\" before this entry."));
        QCOMPARE(f.list.FindParamPos, -1);
    }

    // A miss upwards puts the search before the first item, so the next ">"
    // starts again at the top.
    void missUpwardsRestartsFromTheTop()
    {
        Fixture f;
        f.find(QStringLiteral("-tW"));
        f.list.cmdFindNext_Click();
        f.list.cmdFindPrev_Click();
        QCOMPARE(f.List1.currentIndex(), 71); // the first item with the text
        f.list.cmdFindPrev_Click();
        QCOMPARE(f.messages.calls.last().text, QStringLiteral("No more list entries with the text \"-tW\" before this entry."));
        QCOMPARE(f.list.FindParamPos, -1);

        f.list.cmdFindNext_Click();
        QCOMPARE(f.List1.currentIndex(), 71);
        QCOMPARE(f.list.FindParamPos, 71);
    }

    void upwardsIgnoresCase()
    {
        Fixture f;
        f.list.searchstr = QStringLiteral("PRECOMPILED");
        f.list.FindParamPos = 40;
        f.list.cmdFindPrev_Click();
        QCOMPARE(f.List1.currentIndex(), 38);
        QCOMPARE(f.list.FindParamPos, 38);
        f.list.FindParamPos = 100;
        f.list.searchstr = QStringLiteral("-x");
        f.list.cmdFindNext_Click();
        QCOMPARE(f.List1.currentIndex(), 103);
    }

    void searchContinuesFromTheLastHitNotTheSelection()
    {
        Fixture f;
        f.find(QStringLiteral("-V"));
        QCOMPARE(f.List1.currentIndex(), 78);
        f.List1.setCurrentIndex(5);
        f.list.cmdFindNext_Click();
        QCOMPARE(f.List1.currentIndex(), 79);
    }

    void emptySearchTextAsksForOne()
    {
        Fixture f;
        f.find(QString());
        QVERIFY(f.list.searchstr.isEmpty());
        QCOMPARE(f.messages.calls.size(), 1);
        f.messages.typeNext(QStringLiteral("-tW"));
        f.list.cmdFindNext_Click();
        QCOMPARE(f.messages.calls.size(), 2);
        QCOMPARE(f.messages.calls[1].title, QStringLiteral("Search"));
        // The Find it ran has made its search; the command ends there.
        QCOMPARE(f.List1.currentIndex(), 71);
        f.list.searchstr.clear();
        f.messages.typeNext(QString());
        f.list.cmdFindPrev_Click();
        QCOMPARE(f.messages.calls.size(), 3);
        QCOMPARE(f.List1.currentIndex(), 71);
    }
};

QTEST_GUILESS_MAIN(TestOptionList)
#include "tst_optionlist.moc"
