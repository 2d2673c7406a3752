#include "app/recovery.h"
#include "platform/fake/fakestatefiles.h"
#include "support/mainformfixture.h"

#include <QCryptographicHash>
#include <QTest>

namespace {

// The main window of fakes with its recovery wired as the window wires it.
struct Fixture : MainFormFixture
{
    Fixture()
        : recovery(form.state, Text1, form.caretStatus, form.document,
                   {store, messages, timer, [this] { return clock; }, files, QStringLiteral("1111")})
    {
        form.setRecovery(&recovery);
        Text1.onChange = [this] {
            form.caretStatus.Text1_Change();
            recovery.edited();
        };
    }

    FakeStateFiles store;
    FakeTimer timer;
    QDateTime clock{QDate(2026, 3, 14), QTime(9, 26)};
    Recovery recovery;
};

const QString path = QStringLiteral("/home/user/project/hello.cpp");

QString ownName()
{
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex())
           + QStringLiteral(".1111.recovery");
}

} // namespace

// The copy of unsaved text kept against a crash follows what a look at the
// changed file on disk did: a reload is like an open, kept text is kept.
class TestRecoveryDisk : public QObject
{
    Q_OBJECT

private slots:
    // Kept unsaved text is recorded against the file it was edited from, so
    // that an offer after a crash can tell that the file changed since; a
    // reload leaves no unsaved text to keep.
    void theKeptCopyFollowsTheAnswer_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("keptAfter");
        QTest::newRow("typed text reloaded: the copy goes") << true << int(Reply::Yes) << false;
        QTest::newRow("typed text kept: the copy stays") << true << int(Reply::No) << true;
        // The text was saved, so only the window holds it once the file changed.
        QTest::newRow("saved text kept: a copy is made") << false << int(Reply::No) << true;
        QTest::newRow("saved text, file removed: a copy is made") << false << int(Reply::Ok) << true;
    }

    void theKeptCopyFollowsTheAnswer()
    {
        QFETCH(bool, typed);
        QFETCH(int, answer);
        QFETCH(bool, keptAfter);
        Fixture f;
        f.files.files.insert(path, "int a;\n");
        f.load(path);
        f.timer.tick();
        if (typed) {
            f.Text1.type(QStringLiteral("x"));
            f.timer.tick();
            QVERIFY(f.store.files.contains(ownName()));
        }
        if (Reply(answer) == Reply::Ok)
            f.files.files.remove(path);
        else
            f.files.changeBehindTheProgram(path, "int theirs;\n");
        f.messages.answerNext(Reply(answer));

        f.form.Form_Activate();
        f.timer.tick();

        QCOMPARE(f.store.files.contains(ownName()), keptAfter);
        if (keptAfter) {
            // The file the text came from, not the one on disk now.
            QVERIFY2(f.store.files.value(ownName()).contains("\ndisk: 7 0 1\n"),
                     f.store.files.value(ownName()).constData());
            QVERIFY(f.store.files.value(ownName()).endsWith(typed ? "xint a;\n" : "int a;\n"));
        }
    }
};

QTEST_GUILESS_MAIN(TestRecoveryDisk)
#include "tst_recoverydisk.moc"
