// What a cached precompiled header was built from, checked against a file
// system the test holds in memory: times, sizes and contents are set, not
// waited for.
#include "kvncc/headermanifest.h"
#include "kvncc/leadingblock.h"

#include <QTest>

#include <map>

using kvncc::FileStatus;
using kvncc::HeaderManifest;
using kvncc::IncludeSearch;

namespace {

struct FakeFile
{
    FileStatus status;
    std::string content;
};

// Files by path; every change gets the next inode and a ctime of `clock`,
// as the kernel would give them.
class FakeFiles
{
public:
    long clock = 1000; // seconds

    void write(const std::string &path, const std::string &content, long modified = -1)
    {
        FakeFile &file = m_files[path];
        file.content = content;
        file.status.size = content.size();
        file.status.changed = {clock, 0};
        file.status.modified = {modified < 0 ? clock : modified, 0};
        file.status.inode = ++m_inodes;
    }
    void setModified(const std::string &path, long seconds)
    {
        m_files[path].status.modified = {seconds, 0};
        m_files[path].status.changed = {clock, 0};
    }
    void remove(const std::string &path) { m_files.erase(path); }
    // Runs once, on the next digest of any file: a change while it is read.
    std::function<void()> duringDigest;

    HeaderManifest::FileSystem fileSystem()
    {
        HeaderManifest::FileSystem files;
        files.status = [this](const std::string &path) -> std::optional<FileStatus> {
            const auto it = m_files.find(path);
            if (it == m_files.end())
                return std::nullopt;
            return it->second.status;
        };
        files.digest = [this](const std::string &path) -> std::optional<std::string> {
            const auto it = m_files.find(path);
            if (it == m_files.end())
                return std::nullopt;
            const std::string content = it->second.content;
            if (duringDigest)
                std::exchange(duringDigest, nullptr)();
            ++digests;
            return kvncc::cacheKey({content});
        };
        return files;
    }
    int digests = 0;

private:
    std::map<std::string, FakeFile> m_files;
    std::uint64_t m_inodes = 0;
};

timespec at(long seconds)
{
    return {seconds, 0};
}

const char *toString(HeaderManifest::Check check)
{
    switch (check) {
    case HeaderManifest::Check::Fresh: return "Fresh";
    case HeaderManifest::Check::FreshRestamped: return "FreshRestamped";
    case HeaderManifest::Check::Stale: return "Stale";
    }
    return "?";
}

const char *toString(HeaderManifest::Recorded recorded)
{
    switch (recorded) {
    case HeaderManifest::Recorded::Done: return "Done";
    case HeaderManifest::Recorded::ChangedDuringBuild: return "ChangedDuringBuild";
    case HeaderManifest::Recorded::Unrecordable: return "Unrecordable";
    }
    return "?";
}

} // namespace

namespace QTest {
template<>
char *toString(const HeaderManifest::Check &check)
{
    return qstrdup(::toString(check));
}
template<>
char *toString(const HeaderManifest::Recorded &recorded)
{
    return qstrdup(::toString(recorded));
}
} // namespace QTest

class TestHeaderManifest : public QObject
{
    Q_OBJECT

private slots:
    // A header changed after the build: found by its size or content, not
    // by its time, which archives and package managers keep.
    void aChangedHeaderMakesTheEntryStale_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<HeaderManifest::Check>("expected");
        QTest::newRow("untouched") << "none" << HeaderManifest::Check::Fresh;
        QTest::newRow("same size, older time, new content") << "older copy" << HeaderManifest::Check::Stale;
        QTest::newRow("same size, same time kept, new content") << "same time" << HeaderManifest::Check::Stale;
        QTest::newRow("another size") << "longer" << HeaderManifest::Check::Stale;
        QTest::newRow("removed") << "removed" << HeaderManifest::Check::Stale;
        QTest::newRow("saved again with the same text") << "saved again" << HeaderManifest::Check::FreshRestamped;
    }

    void aChangedHeaderMakesTheEntryStale()
    {
        QFETCH(QString, change);
        QFETCH(HeaderManifest::Check, expected);
        FakeFiles files;
        files.write("/inc/extra.h", "#define EXTRA 40\n", 500);
        files.write("/usr/include/stdio.h", "int printf(const char *, ...);\n", 400);
        files.clock = 2000;
        HeaderManifest manifest;
        QCOMPARE(manifest.record({"/inc/extra.h", "/usr/include/stdio.h"}, {{"/inc", "/usr/include"}, {}}, at(1500),
                                 files.fileSystem()),
                 HeaderManifest::Recorded::Done);
        files.clock = 3000;
        if (change == "older copy")
            files.write("/inc/extra.h", "#define EXTRA 41\n", 100);
        else if (change == "same time")
            files.write("/inc/extra.h", "#define EXTRA 41\n", 500);
        else if (change == "longer")
            files.write("/inc/extra.h", "#define EXTRA 410\n", 500);
        else if (change == "removed")
            files.remove("/inc/extra.h");
        else if (change == "saved again")
            files.write("/inc/extra.h", "#define EXTRA 40\n");
        QCOMPARE(manifest.check(at(4000), files.fileSystem()), expected);
    }

    // Only the time tells nothing changed: the content is not read again.
    void anUntouchedHeaderIsNotRead()
    {
        FakeFiles files;
        files.write("/inc/a.h", "a\n");
        files.clock = 2000;
        HeaderManifest manifest;
        QCOMPARE(manifest.record({"/inc/a.h"}, {{"/inc"}, {}}, at(1500), files.fileSystem()),
                 HeaderManifest::Recorded::Done);
        const int digestsAtBuild = files.digests;
        QCOMPARE(manifest.check(at(3000), files.fileSystem()), HeaderManifest::Check::Fresh);
        QCOMPARE(files.digests, digestsAtBuild);
    }

    // Saved again with the same text: read once, then known by its new
    // times; but not when the save was in the tick of the check, which a
    // later change in that tick would share.
    void newTimesOfTheSameTextAreKept_data()
    {
        QTest::addColumn<long>("checkedAt");
        QTest::addColumn<int>("digestsOnSecondCheck");
        QTest::newRow("saved before the check") << 3001L << 0;
        QTest::newRow("saved in the check's tick") << 3000L << 1;
    }

    void newTimesOfTheSameTextAreKept()
    {
        QFETCH(long, checkedAt);
        QFETCH(int, digestsOnSecondCheck);
        FakeFiles files;
        files.write("/inc/a.h", "a\n");
        files.clock = 2000;
        HeaderManifest manifest;
        QCOMPARE(manifest.record({"/inc/a.h"}, {{"/inc"}, {}}, at(1500), files.fileSystem()),
                 HeaderManifest::Recorded::Done);
        files.clock = 3000;
        files.write("/inc/a.h", "a\n");
        const HeaderManifest::Check first = manifest.check(at(checkedAt), files.fileSystem());
        QCOMPARE(first, digestsOnSecondCheck == 0 ? HeaderManifest::Check::FreshRestamped : HeaderManifest::Check::Fresh);
        std::optional<HeaderManifest> reread = HeaderManifest::parse(manifest.text());
        QVERIFY(reread);
        files.digests = 0;
        QVERIFY(reread->check(at(checkedAt + 10), files.fileSystem()) != HeaderManifest::Check::Stale);
        QCOMPARE(files.digests, digestsOnSecondCheck);
    }

    // The compiler may have read the old text or the new: such a build is
    // not kept.
    void aHeaderChangedDuringTheBuildIsRefused_data()
    {
        QTest::addColumn<long>("changedAt");
        QTest::addColumn<bool>("whileRead");
        QTest::addColumn<HeaderManifest::Recorded>("expected");
        QTest::newRow("changed before the build") << 1499L << false << HeaderManifest::Recorded::Done;
        QTest::newRow("changed in the tick the build started") << 1500L << false
                                                               << HeaderManifest::Recorded::ChangedDuringBuild;
        QTest::newRow("changed during the build") << 1700L << false << HeaderManifest::Recorded::ChangedDuringBuild;
        QTest::newRow("changed while its digest is taken") << 1000L << true
                                                           << HeaderManifest::Recorded::ChangedDuringBuild;
    }

    void aHeaderChangedDuringTheBuildIsRefused()
    {
        QFETCH(long, changedAt);
        QFETCH(bool, whileRead);
        QFETCH(HeaderManifest::Recorded, expected);
        FakeFiles files;
        files.clock = changedAt;
        files.write("/inc/a.h", "a\n", 100); // the time of the file itself is the archive's
        if (whileRead) {
            files.duringDigest = [&files] {
                files.clock = 1800;
                files.write("/inc/a.h", "b\n", 100);
            };
        }
        HeaderManifest manifest;
        QCOMPARE(manifest.record({"/inc/a.h"}, {{"/inc"}, {}}, at(1500), files.fileSystem()), expected);
    }

    // A header gone since the compiler read it is a change like any other,
    // tried again next time; one the manifest cannot hold is not.
    void aHeaderThatCannotBeRecorded_data()
    {
        QTest::addColumn<std::string>("path");
        QTest::addColumn<HeaderManifest::Recorded>("expected");
        QTest::newRow("gone") << std::string("/inc/gone.h") << HeaderManifest::Recorded::ChangedDuringBuild;
        QTest::newRow("a line break in its name") << std::string("/inc/two\nlines.h")
                                                  << HeaderManifest::Recorded::Unrecordable;
    }

    void aHeaderThatCannotBeRecorded()
    {
        QFETCH(std::string, path);
        QFETCH(HeaderManifest::Recorded, expected);
        FakeFiles files;
        files.write("/inc/two\nlines.h", "x\n");
        files.clock = 2000;
        HeaderManifest manifest;
        QCOMPARE(manifest.record({path}, {{"/inc"}, {}}, at(1500), files.fileSystem()), expected);
    }

    // The names that would have been found first: a header put there later
    // shadows the one the entry was built with.
    void namesThatWouldShadowAHeaderMustStayFree()
    {
        FakeFiles files;
        files.write("/b/extra.h", "x\n");
        files.write("/c/sys/types.h", "t\n");
        files.write("/a/stdlib.h", "#include_next <stdlib.h>\n"); // read, and first: not a miss
        files.write("/c/stdlib.h", "s\n");
        files.write("/a/sys/types.h", "present but not read\n");
        files.clock = 2000;
        HeaderManifest manifest;
        QCOMPARE(manifest.record({"/b/extra.h", "/c/sys/types.h", "/a/stdlib.h", "/c/stdlib.h"},
                                 {{"/a", "/b/", "/c"}, {"/later"}}, at(1500), files.fileSystem()),
                 HeaderManifest::Recorded::Done);
        QCOMPARE(manifest.absentPaths(),
                 (std::vector<std::string>{"/a/extra.h", "/b/stdlib.h", "/b/sys/types.h", "/later"}));
        QCOMPARE(manifest.check(at(3000), files.fileSystem()), HeaderManifest::Check::Fresh);
        for (const std::string &path : manifest.absentPaths()) {
            std::optional<HeaderManifest> copy = HeaderManifest::parse(manifest.text());
            QVERIFY(copy);
            files.write(path, "new\n");
            QVERIFY2(copy->check(at(3000), files.fileSystem()) == HeaderManifest::Check::Stale, path.c_str());
            files.remove(path);
        }
    }

    void theTextReadsBackTheSame()
    {
        FakeFiles files;
        files.write("/my dir/a b.h", "a\n");
        files.write("/c/x.h", "x\n");
        files.clock = 2000;
        HeaderManifest manifest;
        QCOMPARE(manifest.record({"/my dir/a b.h", "/c/x.h"}, {{"/c", "/my dir"}, {}}, at(1500), files.fileSystem()),
                 HeaderManifest::Recorded::Done);
        const std::optional<HeaderManifest> reread = HeaderManifest::parse(manifest.text());
        QVERIFY(reread);
        QCOMPARE(reread->text(), manifest.text());
        QCOMPARE(reread->headerCount(), std::size_t(2));
        QVERIFY(!HeaderManifest::parse("kvncc header manifest 0\n"));
        QVERIFY(!HeaderManifest::parse(manifest.text() + "h 1 2\n"));
    }

    void theSearchFoldersOfGccAndClang()
    {
        const std::string gcc = "Using built-in specs.\n"
                                "ignoring duplicate directory \"/usr/include/x86_64-linux-gnu/c++/12\"\n"
                                "ignoring nonexistent directory \"/usr/local/include/x86_64-linux-gnu\"\n"
                                "ignoring nonexistent directory \"inc2\"\n"
                                "#include \"...\" search starts here:\n"
                                " /work/q\n"
                                "#include <...> search starts here:\n"
                                " inc\n"
                                " /usr/include/c++/12\n"
                                " /usr/include\n"
                                " /Library/Frameworks (framework directory)\n"
                                "End of search list.\n"
                                " /not/a/folder\n";
        const IncludeSearch search = kvncc::includeSearchOf(gcc);
        QCOMPARE(search.folders,
                 (std::vector<std::string>{"/work/q", "inc", "/usr/include/c++/12", "/usr/include", "/Library/Frameworks"}));
        QCOMPARE(search.missingFolders, (std::vector<std::string>{"/usr/local/include/x86_64-linux-gnu", "inc2"}));
    }
};

QTEST_GUILESS_MAIN(TestHeaderManifest)
#include "tst_headermanifest.moc"
