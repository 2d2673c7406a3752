// kvncc's header cache on headers changed behind its back, include paths of
// the environment, headers without guards, folders and entries others could
// have written, and builds that fail for the machine's sake: the programs
// built through it are those built without it, and hits and misses are
// counted, not timed.
#include "kvncc/headercache.h"
#include "kvnccruns.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using kvncc::HeaderCache;
using Lookup = HeaderCache::Lookup;

namespace {

QByteArray guarded(const QByteArray &body)
{
    return "#ifndef EXTRA_H\n#define EXTRA_H\n" + body + "#endif\n";
}

timespec modifiedTime(const QString &path)
{
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mtim;
}

void setModified(const QString &path, timespec when)
{
    const timespec times[2] = {when, when};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// Replaces path's content the way a package manager or an unpacked archive
// does: a new file of the same size with its old, earlier date, renamed
// over the old one.
void replaceWithOlder(const QString &path, const QByteArray &bytes)
{
    write(path + QStringLiteral(".new"), bytes);
    setModified(path + QStringLiteral(".new"), timespec{modifiedTime(path).tv_sec - 86400 * 365, 0});
    QVERIFY(::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(), QFile::encodeName(path).constData()) == 0);
}

// An edit within the second of the last one: the time is set back to what
// it was to the nanosecond, as a coarse clock or a tool keeping times would.
void editKeepingTime(const QString &path, const QByteArray &bytes)
{
    const timespec before = modifiedTime(path);
    write(path, bytes);
    setModified(path, before);
}

QStringList entryFolders(const QString &cacheHome)
{
    return QDir(cacheHome + QStringLiteral("/kvncc")).entryList({QStringLiteral("*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

bool root()
{
    return ::geteuid() == 0;
}

const char *toString(Lookup lookup)
{
    switch (lookup) {
    case Lookup::Off: return "Off";
    case Lookup::Hit: return "Hit";
    case Lookup::Noted: return "Noted";
    case Lookup::Built: return "Built";
    case Lookup::NotStored: return "NotStored";
    case Lookup::Uncacheable: return "Uncacheable";
    case Lookup::Unsafe: return "Unsafe";
    }
    return "?";
}

// A HeaderCache on a real compiler over a small block, in a folder of its
// own; the compiler and the clock can be replaced per test.
class CacheBench
{
public:
    QTemporaryDir dir;
    HeaderCache::Services services = HeaderCache::realServices();
    QStringList warnings;
    std::string include = path("inc");
    std::string earlier = path("first");
    const std::string source = path("a.cpp");
    const std::string text = "#include <cstdio>\n#include <extra.h>\nint main() { return EXTRA; }\n";

    CacheBench()
    {
        services.buildNow = true;
        services.warn = [this](std::string_view line) { warnings.append(QString::fromUtf8(line.data(), line.size())); };
        write(dir.filePath(QStringLiteral("inc/extra.h")), guarded("#define EXTRA 40\n"));
        QDir().mkpath(dir.filePath(QStringLiteral("first")));
    }

    std::string path(const char *name) const { return dir.filePath(QString::fromUtf8(name)).toStdString(); }
    std::string cacheRoot() const { return path("cache"); }

    // Looks the block up in a cache made now (as each kvncc run makes one),
    // once the clock has left the tick of the last change to the headers:
    // a build refuses what changed since it started.
    std::pair<Lookup, std::string> lookUp() { return lookUpIn(cacheRoot()); }
    std::pair<Lookup, std::string> lookUpIn(const std::string &root)
    {
        settle();
        HeaderCache cache(root, HeaderCache::defaultSizeBound, services);
        const std::string header = cache.headerFor(argv(), source, text, false, kvncc::currentEnvironment(), "compat");
        return {cache.lastLookup(), header};
    }

    void settle() const { waitUntilSettled(dir.path()); }

    std::vector<std::string> argv() const
    {
        static const std::string gxx = QStandardPaths::findExecutable(QStringLiteral("g++")).toStdString();
        return {gxx, "-x", "c++", "-I" + earlier, "-I" + include, "-c", source, "-o", path("a.o")};
    }
};

} // namespace

namespace QTest {
template<>
char *toString(const Lookup &lookup)
{
    return qstrdup(::toString(lookup));
}
} // namespace QTest

class TestHeaderCacheSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("g++")).isEmpty())
            QSKIP("g++ is not installed");
    }

    // Hits and misses around a change of a header the block reads.
    void aChangedHeaderIsAMiss_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<Lookup>("afterChange");
        QTest::newRow("nothing changed") << "none" << Lookup::Hit;
        QTest::newRow("replaced by an older copy of the same size") << "older copy" << Lookup::Built;
        QTest::newRow("edited within the second, time kept") << "same time" << Lookup::Built;
        QTest::newRow("shadowed by a header in an earlier -I folder") << "shadowed" << Lookup::Built;
        QTest::newRow("an -I folder made after the build") << "new folder" << Lookup::Built;
        QTest::newRow("saved again with the same text") << "same text" << Lookup::Hit;
    }

    void aChangedHeaderIsAMiss()
    {
        QFETCH(QString, change);
        QFETCH(Lookup, afterChange);
        CacheBench bench;
        const QString extra = bench.dir.filePath(QStringLiteral("inc/extra.h"));
        if (change == "new folder")
            bench.earlier = bench.path("later");
        QCOMPARE(bench.lookUp().first, Lookup::Built);
        QCOMPARE(bench.lookUp().first, Lookup::Hit);
        if (change == "older copy")
            replaceWithOlder(extra, guarded("#define EXTRA 41\n"));
        else if (change == "same time")
            editKeepingTime(extra, guarded("#define EXTRA 41\n"));
        else if (change == "shadowed")
            write(bench.dir.filePath(QStringLiteral("first/extra.h")), guarded("#define EXTRA 20\n"));
        else if (change == "new folder")
            QVERIFY(QDir().mkpath(bench.dir.filePath(QStringLiteral("later"))));
        else if (change == "same text")
            replaceWithOlder(extra, guarded("#define EXTRA 40\n"));
        QCOMPARE(bench.lookUp().first, afterChange);
        QCOMPARE(bench.lookUp().first, Lookup::Hit);
    }

    // The compiler may have read the header before or after the edit: the
    // entry is not kept, and the next compile builds it again.
    void aHeaderEditedDuringTheBuildIsNotStored()
    {
        CacheBench bench;
        const QString extra = bench.dir.filePath(QStringLiteral("inc/extra.h"));
        const HeaderCache::Runner compiler = bench.services.run;
        bench.services.run = [&](const std::vector<std::string> &argv, const std::vector<std::string> &environment,
                                 const std::function<void(std::string_view)> &onOutput) {
            const kvncc::ProcessResult result = compiler(argv, environment, onOutput);
            editKeepingTime(extra, guarded("#define EXTRA 41\n"));
            return result;
        };
        QCOMPARE(bench.lookUp(), std::pair(Lookup::NotStored, std::string()));
        bench.services.run = compiler;
        QCOMPARE(bench.lookUp().first, Lookup::Built);
        QCOMPARE(bench.lookUp().first, Lookup::Hit);
    }

    // A build that failed for the machine's sake is tried again by the next
    // compile; one that failed on the block waits a while.
    void aBuildFailingForNowIsTriedAgain_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<Lookup>("next");
        QTest::newRow("full disk") << 1 << 0
                                   << QByteArray("cc1plus: fatal error: can't write PCH file: No space left on device\n")
                                   << Lookup::Built;
        QTest::newRow("quota") << 1 << 0 << QByteArray("cc1plus: fatal error: cannot write: Disk quota exceeded\n")
                               << Lookup::Built;
        QTest::newRow("no memory") << 1 << 0
                                   << QByteArray("cc1plus: out of memory allocating 65536 bytes\n"
                                                 "g++: fatal error: virtual memory exhausted: Cannot allocate memory\n")
                                   << Lookup::Built;
        QTest::newRow("killed") << -1 << int(SIGKILL) << QByteArray() << Lookup::Built;
        QTest::newRow("internal compiler error") << 4 << 0
                                                 << QByteArray("a.cpp:1: internal compiler error: Segmentation fault\n")
                                                 << Lookup::Built;
        QTest::newRow("no message") << 1 << 0 << QByteArray() << Lookup::Built;
        QTest::newRow("the block does not compile alone")
            << 1 << 0 << QByteArray("a.cpp:2:10: fatal error: extra.h: No such file or directory\n")
            << Lookup::Uncacheable;
    }

    void aBuildFailingForNowIsTriedAgain()
    {
        QFETCH(int, exitCode);
        QFETCH(int, signal);
        QFETCH(QByteArray, message);
        QFETCH(Lookup, next);
        CacheBench bench;
        const HeaderCache::Runner compiler = bench.services.run;
        int builds = 0;
        bench.services.run = [&](const std::vector<std::string> &argv, const std::vector<std::string> &environment,
                                 const std::function<void(std::string_view)> &onOutput) {
            if (builds++ > 0)
                return compiler(argv, environment, onOutput);
            onOutput(std::string_view(message.constData(), std::size_t(message.size())));
            kvncc::ProcessResult failed;
            failed.started = true;
            failed.exitCode = exitCode;
            failed.signal = signal;
            return failed;
        };
        const Lookup first = bench.lookUp().first;
        QCOMPARE(first, next == Lookup::Built ? Lookup::NotStored : Lookup::Uncacheable);
        QCOMPARE(bench.lookUp().first, next);
        if (next == Lookup::Uncacheable) {
            // Not for good either: an hour on, the block is tried again.
            const auto clock = bench.services.now;
            bench.services.now = [clock] {
                timespec later = clock();
                later.tv_sec += HeaderCache::failedSeconds + 1;
                return later;
            };
            QCOMPARE(bench.lookUp().first, Lookup::Built);
        }
        QCOMPARE(bench.lookUp().first, Lookup::Hit);
    }

    // An entry that misled a compile stays unused until a header it read
    // changes.
    void aDistrustedEntryWaitsForAChangedHeader()
    {
        CacheBench bench;
        const auto [built, header] = bench.lookUp();
        QCOMPARE(built, Lookup::Built);
        HeaderCache(bench.cacheRoot(), HeaderCache::defaultSizeBound, bench.services).distrust(header);
        QCOMPARE(bench.lookUp(), std::pair(Lookup::Uncacheable, std::string()));
        QCOMPARE(bench.lookUp().first, Lookup::Uncacheable);
        write(bench.dir.filePath(QStringLiteral("inc/extra.h")), guarded("#define EXTRA 41 // guarded now\n"));
        QCOMPARE(bench.lookUp().first, Lookup::Built);
        QCOMPARE(bench.lookUp().first, Lookup::Hit);
    }

    // Another user's entry, or one others could have written, is never
    // handed to a compile: it is made again.
    void anEntryOthersCouldWriteIsMadeAgain_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("otherOwner");
        QTest::addColumn<int>("mode");
        QTest::newRow("entry of another user") << "" << true << 0700;
        QTest::newRow("entry others may write to") << "" << false << 0707;
        QTest::newRow("entry the group may write to") << "" << false << 0770;
        QTest::newRow("precompiled header of another user") << "block.h.gch" << true << 0600;
        QTest::newRow("precompiled header others may write to") << "block.h.gch" << false << 0666;
        QTest::newRow("manifest of another user") << "manifest" << true << 0600;
        QTest::newRow("block others may write to") << "block.h" << false << 0602;
    }

    void anEntryOthersCouldWriteIsMadeAgain()
    {
        QFETCH(QString, what);
        QFETCH(bool, otherOwner);
        QFETCH(int, mode);
        if (otherOwner && !root())
            QSKIP("giving a file to another user needs root");
        CacheBench bench;
        const auto [built, header] = bench.lookUp();
        QCOMPARE(built, Lookup::Built);
        const QString entry = QFileInfo(QString::fromStdString(header)).path();
        const QByteArray target = QFile::encodeName(what.isEmpty() ? entry : entry + QLatin1Char('/') + what);
        if (otherOwner)
            QCOMPARE(::chown(target.constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(target.constData(), mode_t(mode)), 0);
        QCOMPARE(bench.lookUp(), std::pair(Lookup::Built, header));
        struct stat info {};
        QCOMPARE(::stat(target.constData(), &info), 0);
        QCOMPARE(info.st_uid, ::geteuid());
        QCOMPARE(info.st_mode & 077, 0u);
        QCOMPARE(bench.lookUp().first, Lookup::Hit);
    }

    // The cache's own folder likewise: not used, said once.
    void aFolderOthersCouldWriteIsNotUsed_data()
    {
        QTest::addColumn<bool>("otherOwner");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("reason");
        QTest::newRow("own folder") << false << 0700 << "";
        QTest::newRow("folder of another user") << true << 0755 << "it belongs to another user";
        QTest::newRow("folder others may write to") << false << 0777 << "others may write to it";
        QTest::newRow("folder the group may write to") << false << 0770 << "others may write to it";
    }

    void aFolderOthersCouldWriteIsNotUsed()
    {
        QFETCH(bool, otherOwner);
        QFETCH(int, mode);
        QFETCH(QString, reason);
        if (otherOwner && !root())
            QSKIP("giving a folder to another user needs root");
        CacheBench bench;
        const QByteArray folder = QFile::encodeName(QString::fromStdString(bench.cacheRoot()));
        QVERIFY(QDir().mkpath(QString::fromStdString(bench.cacheRoot())));
        if (otherOwner)
            QCOMPARE(::chown(folder.constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(folder.constData(), mode_t(mode)), 0);
        HeaderCache cache(bench.cacheRoot(), HeaderCache::defaultSizeBound, bench.services);
        bench.settle();
        for (int i = 0; i < 2; ++i) {
            cache.headerFor(bench.argv(), bench.source, bench.text, false, kvncc::currentEnvironment(), "compat");
            QCOMPARE(cache.lastLookup(), reason.isEmpty() ? (i == 0 ? Lookup::Built : Lookup::Hit) : Lookup::Unsafe);
        }
        if (reason.isEmpty()) {
            QVERIFY(bench.warnings.isEmpty());
            return;
        }
        QCOMPARE(bench.warnings.size(), 1);
        QVERIFY2(bench.warnings.first().startsWith(QStringLiteral("kvncc: warning: the header cache ")
                                                   + QString::fromStdString(bench.cacheRoot()) + QStringLiteral(" is not used: ")
                                                   + reason),
                 qPrintable(bench.warnings.first()));
        QVERIFY(QDir(QString::fromStdString(bench.cacheRoot())).isEmpty());
    }

    // Root with another user's HOME (sudo -E) makes no cache of its own in
    // that home, which the user could then never use.
    void noFolderIsMadeInAnotherUsersFolder()
    {
        if (!root())
            QSKIP("giving a folder to another user needs root");
        CacheBench bench;
        const QString home = bench.dir.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        QCOMPARE(::chown(QFile::encodeName(home).constData(), 65534, 65534), 0);
        bench.settle();
        HeaderCache cache((home + QStringLiteral("/.cache/kvncc")).toStdString(), HeaderCache::defaultSizeBound,
                          bench.services);
        QCOMPARE(cache.headerFor(bench.argv(), bench.source, bench.text, false, kvncc::currentEnvironment(), "compat"),
                 std::string());
        QCOMPARE(cache.lastLookup(), Lookup::Unsafe);
        QVERIFY(QDir(home).isEmpty());
        QVERIFY(bench.warnings.isEmpty());
        // Its own folder within is made, closed to others.
        QCOMPARE(::chown(QFile::encodeName(home).constData(), ::geteuid(), ::getegid()), 0);
        QCOMPARE(bench.lookUpIn((home + QStringLiteral("/.cache/kvncc")).toStdString()).first, Lookup::Built);
        for (const char *folder : {"/.cache", "/.cache/kvncc"}) {
            struct stat info {};
            QCOMPARE(::stat(QFile::encodeName(home + QString::fromUtf8(folder)).constData(), &info), 0);
            QCOMPARE(info.st_mode & 0777, 0700u);
        }
    }

    // The same through kvncc: the program built is the one built without
    // the cache, after each kind of change.
    void theProgramSeesTheChangedHeader_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QByteArray>("printed");
        QTest::newRow("replaced by an older copy of the same size") << "older copy" << QByteArray("41\n");
        QTest::newRow("edited within the second, time kept") << "same time" << QByteArray("41\n");
        QTest::newRow("shadowed by a header in an earlier -I folder") << "shadowed" << QByteArray("20\n");
    }

    void theProgramSeesTheChangedHeader()
    {
        QFETCH(QString, change);
        QFETCH(QByteArray, printed);
        QTemporaryDir dir;
        const QString extra = dir.filePath(QStringLiteral("inc/extra.h"));
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <cstdio>\n#include <extra.h>\n"
                                                     "int main() { printf(\"%d\\n\", EXTRA); }\n");
        write(extra, guarded("#define EXTRA 40\n"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("first"))));
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        const QStringList args = {QStringLiteral("-Ifirst"), QStringLiteral("-Iinc"), QStringLiteral("a.cpp")};
        QCOMPARE(compile(dir.path(), cacheHome, args).status, 0);
        QCOMPARE(runProgram(dir.filePath(QStringLiteral("a.exe"))), QByteArray("40\n"));
        QCOMPARE(entryFolders(cacheHome).size(), 1);
        if (change == "older copy")
            replaceWithOlder(extra, guarded("#define EXTRA 41\n"));
        else if (change == "same time")
            editKeepingTime(extra, guarded("#define EXTRA 41\n"));
        else
            write(dir.filePath(QStringLiteral("first/extra.h")), guarded("#define EXTRA 20\n"));
        for (const bool withCache : {false, true, true}) {
            QCOMPARE(compile(dir.path(), cacheHome, args, withCache).status, 0);
            QCOMPARE(runProgram(dir.filePath(QStringLiteral("a.exe"))), printed);
        }
    }

    // The include paths of the environment choose headers as -I does.
    void includePathsOfTheEnvironmentCount_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("source");
        QTest::newRow("CPATH") << "CPATH" << "a.cpp";
        QTest::newRow("CPLUS_INCLUDE_PATH") << "CPLUS_INCLUDE_PATH" << "a.cpp";
        QTest::newRow("C_INCLUDE_PATH") << "C_INCLUDE_PATH" << "a.c";
    }

    void includePathsOfTheEnvironmentCount()
    {
        QFETCH(QString, variable);
        QFETCH(QString, source);
        QTemporaryDir dir;
        write(dir.filePath(source), "#include <stdio.h>\n#include <extra.h>\n"
                                    "int main(void) { printf(\"%d\\n\", EXTRA); return 0; }\n");
        write(dir.filePath(QStringLiteral("ten/extra.h")), guarded("#define EXTRA 10\n"));
        write(dir.filePath(QStringLiteral("twenty/extra.h")), guarded("#define EXTRA 20\n"));
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        for (const char *folder : {"ten", "twenty", "ten", "twenty"}) {
            const Run run = compile(dir.path(), cacheHome, {source}, true, {variable + QLatin1Char('=') + dir.filePath(QString::fromUtf8(folder))});
            QVERIFY2(run.status == 0, run.output.constData());
            QCOMPARE(runProgram(dir.filePath(QStringLiteral("a.exe"))), QByteArray(folder == std::string("ten") ? "10\n" : "20\n"));
        }
        QCOMPARE(entryFolders(cacheHome).size(), 2);
    }

    // A program's own header without include guards, named with <...> in
    // the leading block, is read twice through the cache: the compile is
    // then done without it, and says what it says without it, once.
    void aHeaderWithoutGuardsBuildsAsWithout_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("a clean program") << QByteArray("int main() { Point p{2}; printf(\"%d\\n\", p.x); }\n");
        QTest::newRow("a program with an error") << QByteArray("int main() { Point p{2}; return y; }\n");
    }

    void aHeaderWithoutGuardsBuildsAsWithout()
    {
        QFETCH(QByteArray, body);
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <cstdio>\n#include <point.h>\n" + body);
        write(dir.filePath(QStringLiteral("inc/point.h")), "struct Point { int x; };\n");
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        const QStringList args = {QStringLiteral("-Iinc"), QStringLiteral("a.cpp")};
        const Run plain = compile(dir.path(), cacheHome, args, false);
        for (int round = 0; round < 3; ++round) {
            const Run run = compile(dir.path(), cacheHome, args);
            QCOMPARE(run.status, plain.status);
            QVERIFY2(run.output == plain.output, run.output.constData());
        }
    }

    // Another user's precompiled header would run their code in this user's
    // program: a forged entry is used only when it is this user's own.
    void aForgedEntryIsUsedOnlyWhenOwn_data()
    {
        QTest::addColumn<bool>("otherOwner");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("printed");
        QTest::newRow("own, closed to others (the forgery works)") << false << 0700 << QByteArray("666\n");
        QTest::newRow("entry of another user") << true << 0700 << QByteArray("40\n");
        QTest::newRow("entry others may write to") << false << 0777 << QByteArray("40\n");
    }

    void aForgedEntryIsUsedOnlyWhenOwn()
    {
        QFETCH(bool, otherOwner);
        QFETCH(int, mode);
        QFETCH(QByteArray, printed);
        if (otherOwner && !root())
            QSKIP("giving an entry to another user needs root");
        QTemporaryDir dir;
        const QString extra = dir.filePath(QStringLiteral("inc/extra.h"));
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <cstdio>\n#include <extra.h>\n"
                                                     "int main() { printf(\"%d\\n\", EXTRA); }\n");
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        const QStringList args = {QStringLiteral("-Iinc"), QStringLiteral("a.cpp")};
        // The forger's precompiled header, made by the same compile.
        write(extra, guarded("#define EXTRA 666\n"));
        QCOMPARE(compile(dir.path(), cacheHome, args).status, 0);
        QCOMPARE(entryFolders(cacheHome).size(), 1);
        const QString entry = cacheHome + QStringLiteral("/kvncc/") + entryFolders(cacheHome).first();
        const QString gch = entry + QStringLiteral("/block.h.gch");
        QVERIFY(QFile::copy(gch, dir.filePath(QStringLiteral("forged.gch"))));
        write(extra, guarded("#define EXTRA 40\n"));
        QCOMPARE(compile(dir.path(), cacheHome, args).status, 0);
        QCOMPARE(runProgram(dir.filePath(QStringLiteral("a.exe"))), QByteArray("40\n"));

        QVERIFY(QFile::remove(gch));
        QVERIFY(QFile::copy(dir.filePath(QStringLiteral("forged.gch")), gch));
        write(entry + QStringLiteral("/stamp"), QByteArray::number(QFileInfo(gch).size()));
        QCOMPARE(::chmod(QFile::encodeName(gch).constData(), 0600), 0);
        QCOMPARE(::chmod(QFile::encodeName(entry + QStringLiteral("/stamp")).constData(), 0600), 0);
        if (otherOwner) {
            QDirIterator it(entry, QDir::Files);
            while (it.hasNext())
                QCOMPARE(::chown(QFile::encodeName(it.next()).constData(), 65534, 65534), 0);
            QCOMPARE(::chown(QFile::encodeName(entry).constData(), 65534, 65534), 0);
        }
        QCOMPARE(::chmod(QFile::encodeName(entry).constData(), mode_t(mode)), 0);
        const Run run = compile(dir.path(), cacheHome, args);
        QVERIFY2(run.status == 0, run.output.constData());
        QCOMPARE(runProgram(dir.filePath(QStringLiteral("a.exe"))), printed);
    }

    // A cache folder others could have filled is not used at all; the
    // compile goes on without it, with one line saying why.
    void kvnccLeavesAFolderOthersCouldWrite_data()
    {
        QTest::addColumn<bool>("otherOwner");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("folder of another user") << true << 0755 << QByteArray("it belongs to another user");
        QTest::newRow("folder others may write to") << false << 0777 << QByteArray("others may write to it");
        QTest::newRow("folder the group may write to") << false << 0775 << QByteArray("others may write to it");
    }

    void kvnccLeavesAFolderOthersCouldWrite()
    {
        QFETCH(bool, otherOwner);
        QFETCH(int, mode);
        QFETCH(QByteArray, reason);
        if (otherOwner && !root())
            QSKIP("giving a folder to another user needs root");
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <cstdio>\nint main() { printf(\"ok\\n\"); }\n");
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        const QString folder = cacheHome + QStringLiteral("/kvncc");
        QVERIFY(QDir().mkpath(folder));
        if (otherOwner)
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode_t(mode)), 0);
        const Run run = compile(dir.path(), cacheHome, {QStringLiteral("a.cpp")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.output, "kvncc: warning: the header cache " + QFile::encodeName(folder) + " is not used: " + reason
                                 + (otherOwner ? QByteArray() : " (chmod go-w " + QFile::encodeName(folder) + ")")
                                 + "\n");
        QCOMPARE(runProgram(dir.filePath(QStringLiteral("a.exe"))), QByteArray("ok\n"));
        QVERIFY(QDir(folder).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHeaderCacheSafety)
#include "tst_headercachesafety.moc"
