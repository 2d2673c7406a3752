#include "platform/qt/qtregistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr RegistryRoot root = RegistryRoot::ClassesRoot;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

// The key store in its file: what is written is there for the next run,
// in a form a person can read, and a store that cannot be read is never
// replaced.
class TestQtRegistry : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString store() const { return m_dir.filePath(QStringLiteral("config/kvn/registry.txt")); }

private slots:
    void init() { QFile::remove(store()); }

    void keysAndValuesLastAcrossRuns()
    {
        {
            QtRegistry registry(store());
            QVERIFY(registry.createKey(root, QStringLiteral(".cpp")));
            QVERIFY(registry.createKey(root, QStringLiteral("cpp\\shell\\Open with KVN\\command")));
            QVERIFY(registry.setDefaultValue(root, QStringLiteral(".cpp"), QStringLiteral("cpp")));
            QVERIFY(registry.setDefaultValue(root, QStringLiteral("cpp\\shell\\Open with KVN\\command"),
                                             QStringLiteral("/usr/bin/kvn %1")));
        }
        QtRegistry again(store());
        QCOMPARE(again.defaultValue(root, QStringLiteral(".cpp")), QStringLiteral("cpp"));
        QCOMPARE(again.defaultValue(root, QStringLiteral("cpp\\shell\\Open with KVN\\command")),
                 QStringLiteral("/usr/bin/kvn %1"));
        // Every key above the one created exists, without a value.
        QVERIFY(again.openKey(root, QStringLiteral("cpp\\shell")));
        QCOMPARE(again.defaultValue(root, QStringLiteral("cpp")), std::nullopt);
        QCOMPARE(contents(store()), QByteArray("KVN key store 1\n"
                                               "\n[HKEY_CLASSES_ROOT\\.cpp]\n@=\"cpp\"\n"
                                               "\n[HKEY_CLASSES_ROOT\\cpp]\n"
                                               "\n[HKEY_CLASSES_ROOT\\cpp\\shell]\n"
                                               "\n[HKEY_CLASSES_ROOT\\cpp\\shell\\Open with KVN]\n"
                                               "\n[HKEY_CLASSES_ROOT\\cpp\\shell\\Open with KVN\\command]\n"
                                               "@=\"/usr/bin/kvn %1\"\n"));
    }

    void pathsIgnoreCase()
    {
        QtRegistry registry(store());
        QVERIFY(registry.createKey(root, QStringLiteral("CPP")));
        QVERIFY(registry.openKey(root, QStringLiteral("cpp")));
        QVERIFY(registry.setDefaultValue(root, QStringLiteral("Cpp"), QStringLiteral("C++ Source Files")));
        QCOMPARE(registry.defaultValue(root, QStringLiteral("cpp")), QStringLiteral("C++ Source Files"));
        QVERIFY(registry.createKey(root, QStringLiteral("cpp\\Shell")));
        QCOMPARE(QtRegistry::parse(contents(store())).size(), 2);
    }

    void valuesKeepEveryCharacter_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("quotes and backslashes") << "\"C:\\Program Files\\kvn.exe\" \"%1\"";
        QTest::newRow("line breaks") << "one\ntwo\r\nthree";
        QTest::newRow("non-ASCII") << "/home/jürgen/Ξ/kvn %1";
        QTest::newRow("empty") << "";
        QTest::newRow("looks like a key") << "]\n[HKEY_CLASSES_ROOT\\evil]";
    }

    void valuesKeepEveryCharacter()
    {
        QFETCH(QString, value);
        {
            QtRegistry registry(store());
            QVERIFY(registry.createKey(root, QStringLiteral("c")));
            QVERIFY(registry.setDefaultValue(root, QStringLiteral("c"), value));
        }
        QtRegistry again(store());
        QCOMPARE(again.defaultValue(root, QStringLiteral("c")), value);
        QVERIFY(!again.openKey(root, QStringLiteral("evil")));
    }

    void pathsThatNameNoKey_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << "";
        QTest::newRow("leading backslash") << "\\shell";
        QTest::newRow("trailing backslash") << "c\\";
        QTest::newRow("empty part") << "c\\\\shell";
        QTest::newRow("line break") << "c\nd";
    }

    void pathsThatNameNoKey()
    {
        QFETCH(QString, path);
        QtRegistry registry(store());
        QVERIFY(!registry.createKey(root, path));
        QVERIFY(!registry.openKey(root, path));
        QVERIFY(!registry.setDefaultValue(root, path, QStringLiteral("x")));
        QVERIFY(!QFile::exists(store()));
    }

    void aValueNeedsItsKey()
    {
        QtRegistry registry(store());
        QVERIFY(!registry.openKey(root, QStringLiteral(".c")));
        QVERIFY(!registry.setDefaultValue(root, QStringLiteral(".c"), QStringLiteral("c")));
        QVERIFY(!QFile::exists(store()));
    }

    void anUnreadableStoreIsLeftAlone()
    {
        // A folder where the file should be cannot be read as one.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("registry.txt"));
        QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
        QtRegistry registry(path);
        QVERIFY(!registry.createKey(root, QStringLiteral(".c")));
        QVERIFY(!registry.openKey(root, QStringLiteral(".c")));
        QVERIFY(QDir(path + QStringLiteral("/inside")).exists());
    }

    void linesItDoesNotKnowAreSkipped()
    {
        const QList<QtRegistry::Key> keys = QtRegistry::parse("KVN key store 1\n; a note\n@=\"lost\"\n[HKEY_CLASSES_ROOT\\.c]\r\n"
                                                              "@=\"c\"\r\nnoise\n@=\"unfinished\n");
        QCOMPARE(keys.size(), 1);
        QCOMPARE(keys[0].path, QStringLiteral("HKEY_CLASSES_ROOT\\.c"));
        QCOMPARE(keys[0].value, QStringLiteral("c"));
    }
};

QTEST_GUILESS_MAIN(TestQtRegistry)
#include "tst_qtregistry.moc"
