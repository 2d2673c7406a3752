#include "app/settings.h"
#include "app/settingsfile.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakemessages.h"

#include <QTest>

Q_DECLARE_METATYPE(Settings)

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void writesTheNineLines()
    {
        Settings s;
        s.fontSize = 9.75;
        s.fileSavedConfirmation = false;
        s.deleteIntermediates = true;
        s.CompilerPath = QStringLiteral("/usr/bin/kvncc");
        s.configf = QString();
        s.colours.FSaveB_N = 16711680;
        QCOMPARE(SettingsFormat::write(s),
                 QByteArray(" 9 \r\nFalse\r\nTrue\r\n/usr/bin/kvncc\r\n\r\n 16777215 \r\n 0 \r\n 16711680 \r\n 65535 \r\n"));
    }

    void numbersAsTheFileHasThem()
    {
        QCOMPARE(SettingsFormat::number(10), QByteArray(" 10 "));
        QCOMPARE(SettingsFormat::number(0), QByteArray(" 0 "));
        QCOMPARE(SettingsFormat::number(-5), QByteArray("-5 "));
        QCOMPARE(SettingsFormat::number(16777215), QByteArray(" 16777215 "));
    }

    void roundTrip_data()
    {
        QTest::addColumn<Settings>("settings");
        Settings plain;
        plain.CompilerPath = QStringLiteral("/usr/bin/kvncc");
        QTest::newRow("defaults") << plain;
        Settings awkward;
        awkward.fontSize = 14;
        awkward.CompilerPath = QStringLiteral("/opt/my, compilers/\"bcc\"/bin/kvncc");
        awkward.configf = QStringLiteral("/home/ü ser/proj,1/build.cfg");
        awkward.colours = {1, 2, 3, 16777215};
        awkward.fileSavedConfirmation = false;
        QTest::newRow("commas, quotes and non-ASCII in paths") << awkward;
    }

    void roundTrip()
    {
        QFETCH(Settings, settings);
        QCOMPARE(SettingsFormat::read(SettingsFormat::write(settings)), settings);
    }

    void damagedFilesKeepDefaultsFieldByField_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Settings>("expected");

        Settings defaults;
        QTest::newRow("empty file") << QByteArray() << defaults;
        QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe\x01\x02garbage\x00\x80\r\n\x01\x02", 18) << defaults;

        Settings threeFields;
        threeFields.fontSize = 12;
        threeFields.fileSavedConfirmation = false;
        threeFields.deleteIntermediates = true;
        QTest::newRow("three fields") << QByteArray(" 12 \r\nFalse\r\nTrue\r\n") << threeFields;

        Settings badNumbers;
        badNumbers.CompilerPath = QStringLiteral("/bin/cc");
        badNumbers.colours.FSaveT_Y = 128;
        QTest::newRow("non-numeric size and colours")
            << QByteArray("big\r\nmaybe\r\n2\r\n/bin/cc\r\n\r\nwhite\r\n 128 \r\n-4\r\n99999999\r\n") << [&] {
                   Settings s = badNumbers;
                   s.deleteIntermediates = true; // "2" is a non-zero number
                   return s;
               }();

        Settings lf;
        lf.fontSize = 10;
        lf.CompilerPath = QStringLiteral("/bin/kvncc");
        lf.colours.FSaveB_Y = 0;
        QTest::newRow("LF line ends") << QByteArray(" 10\nTrue\nFalse\n/bin/kvncc\n\n0\n0\n255\n65535\n") << lf;

        Settings zeroSize;
        QTest::newRow("size zero or negative") << QByteArray("0\r\n") << zeroSize;
    }

    void damagedFilesKeepDefaultsFieldByField()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Settings, expected);
        const Settings got = SettingsFormat::read(bytes);
        QCOMPARE(got.fontSize, expected.fontSize);
        QCOMPARE(got.fileSavedConfirmation, expected.fileSavedConfirmation);
        QCOMPARE(got.deleteIntermediates, expected.deleteIntermediates);
        QCOMPARE(got.colours, expected.colours);
        QCOMPARE(got.CompilerPath, expected.CompilerPath);
    }

    void firstWriteShowsTheNoticeOnce()
    {
        FakeFileSystem files;
        FakeMessages messages;
        SettingsFile file(files, messages);
        file.setFolder(files.currentFolder());
        Settings s;
        s.fontSize = 10;

        file.write(s);
        QCOMPARE(messages.calls.size(), 1);
        QCOMPARE(messages.calls[0].title, QStringLiteral("Some information..."));
        QCOMPARE(messages.calls[0].buttons, Buttons::Ok);
        QCOMPARE(messages.calls[0].icon, Icon::Information);
        QVERIFY(messages.calls[0].text.startsWith(QStringLiteral("Since you have changed an option for KVN, KVN has created a textfile kvn.txt which")));
        QVERIFY(messages.calls[0].text.endsWith(QStringLiteral("will use the default options.")));
        QVERIFY(file.GotSave);
        QCOMPARE(files.files.value(QStringLiteral("/work/kvn.txt")).left(5), QByteArray(" 10 \r"));

        s.fontSize = 8;
        file.write(s);
        QCOMPARE(messages.calls.size(), 1);
        QCOMPARE(files.files.value(QStringLiteral("/work/kvn.txt")).left(5), QByteArray(" 8 \r\n"));
    }

    void failedWriteKeepsTheOldFileAndStillNotifies()
    {
        FakeFileSystem files;
        FakeMessages messages;
        SettingsFile file(files, messages);
        file.setFolder(files.currentFolder());
        files.failWritesUnder(files.currentFolder());

        file.write(Settings{});
        QVERIFY(!files.exists(file.path()));
        QCOMPARE(messages.calls.size(), 1); // the notice is shown as on any first write
        QVERIFY(file.GotSave);

        FakeFileSystem withFile;
        withFile.files.insert(QStringLiteral("/work/kvn.txt"), QByteArray("old"));
        withFile.failWritesUnder(QStringLiteral("/work/"));
        SettingsFile second(withFile, messages);
        second.setFolder(withFile.currentFolder());
        second.write(Settings{});
        QCOMPARE(withFile.files.value(QStringLiteral("/work/kvn.txt")), QByteArray("old"));
    }

    // The two switches as older files hold them: the words in any case, or
    // a number, any non-zero one being on (-1 was the old format's True).
    void switchesReadAsOnOrOff_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("on");
        QTest::newRow("-1") << QByteArray("-1") << true;
        QTest::newRow("-1 with blanks") << QByteArray("  -1  ") << true;
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("True") << QByteArray("True") << true;
        QTest::newRow("False") << QByteArray("False") << false;
        QTest::newRow("TRUE") << QByteArray("TRUE") << true;
        QTest::newRow("false") << QByteArray("false") << false;
    }

    void switchesReadAsOnOrOff()
    {
        QFETCH(QByteArray, field);
        QFETCH(bool, on);
        FakeFileSystem files;
        FakeMessages messages;
        SettingsFile file(files, messages);
        file.setFolder(files.currentFolder());
        // Each switch starts from the opposite of what the file says.
        Settings defaults;
        defaults.fileSavedConfirmation = !on;
        defaults.deleteIntermediates = !on;
        files.files.insert(file.path(), " 8 \r\n" + field + "\r\n" + field + "\r\n/bin/kvncc\r\n\r\n 16777215 \r\n 0 \r\n 255 \r\n 65535 \r\n");

        const std::optional<Settings> read = file.read(defaults);
        QVERIFY(read.has_value());
        QCOMPARE(read->fileSavedConfirmation, on);
        QCOMPARE(read->deleteIntermediates, on);
        QVERIFY(messages.calls.isEmpty());
    }

    // A file that cannot be settings (unreadable, or a huge file that would
    // stall the start if read whole) gives the defaults and says why.
    void readerTellsAMissingFileFromABadOne_data()
    {
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<qsizetype>("padding");
        QTest::addColumn<QString>("why");
        QTest::newRow("unreadable") << true << qsizetype(0) << QStringLiteral("it cannot be read");
        QTest::newRow("larger than settings can be")
            << false << qsizetype(SettingsFile::largestBytes) << QStringLiteral("far larger");
    }

    void readerTellsAMissingFileFromABadOne()
    {
        QFETCH(bool, unreadable);
        QFETCH(qsizetype, padding);
        QFETCH(QString, why);
        FakeFileSystem files;
        FakeMessages messages;
        SettingsFile file(files, messages);
        file.setFolder(files.currentFolder());
        QVERIFY(!file.read(Settings{}).has_value());
        QVERIFY(messages.calls.isEmpty());

        files.files.insert(file.path(), QByteArray(" 11 \r\n") + QByteArray(padding, ' '));
        if (unreadable)
            files.failReadsOf(file.path());
        const std::optional<Settings> bad = file.read(Settings{});
        QVERIFY(bad.has_value());
        QCOMPARE(bad->fontSize, 8.0);
        QCOMPARE(messages.calls.size(), 1);
        QVERIFY2(messages.calls[0].text.contains(file.path()) && messages.calls[0].text.contains(why),
                 qPrintable(messages.calls[0].text));
        QVERIFY(messages.calls[0].text.endsWith(QStringLiteral("It starts with the default settings.")));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
