// The smaller pieces of the old headers and library that real old programs
// stop on: CLK_TCK, the spawn functions, findfirst() and the rest of
// <dir.h>, int86() and the registers, file streams opened with int modes,
// random(n); and programs of today that have these names themselves. Each
// program is built by the real kvncc and run.
#include "ptysession.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kvncc = QStringLiteral(KVNCC_PATH);
const QString fixtures = QStringLiteral(FIXTURES_DIR "/old");

struct Build
{
    QString program; // empty when kvncc failed
    QByteArray output;
};

// The fixture built in folder by kvncc with switches, under the extra
// environment variables (NAME=VALUE). Switches that name .c files are
// further fixtures of the same program, built after it.
Build build(const QString &fixture, const QStringList &switches, const QStringList &variables, const QString &folder)
{
    QStringList options, sources{fixture};
    for (const QString &word : switches)
        (word.endsWith(QStringLiteral(".c")) ? sources : options).append(word);
    for (const QString &source : sources) {
        if (!QFile::copy(fixtures + u'/' + source, folder + u'/' + source))
            return {{}, "cannot copy " + source.toUtf8()};
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("KVNCC_COMPILER"));
    for (const QString &variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    process.setProcessEnvironment(environment);
    process.start(kvncc, QStringList{QStringLiteral("-q")} + options + sources);
    if (!process.waitForFinished(120000))
        return {{}, "kvncc did not end"};
    const QByteArray output = process.readAll();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {{}, output};
    return {folder + u'/' + QFileInfo(fixture).completeBaseName() + QStringLiteral(".exe"), output};
}

const QByteArray oldModeWarning = "is deprecated: an int open mode is read with the old values of ios (1 in, 2 out, "
                                  "4 ate, 8 app, 16 trunc, 32 nocreate, 64 noreplace, 128 binary): modes joined with "
                                  "|| give 1, input; a protection argument is not used";

} // namespace

class TestOldPieces : public QObject
{
    Q_OBJECT

private slots:
    // Programs run with their output to a pipe; what they print compared
    // line by line, and kvncc's messages checked for the warnings promised.
    void programs_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QStringList>("variables");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QByteArrayList>("messages");
        const QStringList modernC{"-w", "-w!", "-std=c11"};
        const QStringList clang{"KVNCC_COMPILER=clang"};

        QTest::newRow("CLK_TCK counts clock()'s ticks, as a double")
            << "piece_clk_tck.c" << QStringList() << QStringList()
            << QByteArray() << QByteArray("1.5 1\n2.0\n") << QByteArrayList();
        QTest::newRow("CLK_TCK in C++") << "piece_clk_tck.c" << QStringList{"-P"} << QStringList()
                                        << QByteArray() << QByteArray("1.5 1\n2.0\n") << QByteArrayList();
        QTest::newRow("a program's own CLK_TCK and MAXPATH")
            << "piece_clk_own.c" << QStringList{"-w!"} << QStringList() << QByteArray() << QByteArray("18.2 100\n")
            << QByteArrayList();
        QTest::newRow("spawn functions")
            << "piece_spawn.c" << QStringList() << QStringList() << QByteArray()
            << QByteArray("before from echo\nwaited 0\nstatus 3\nchild one\nown 7\nchild two\nown through PATH 7\n"
                          "missing -1 1\nnowait 5\nmode -1\nwindows names 4\noverlaid\n")
            << QByteArrayList();
        const QByteArray listing = "mkdir 0 0\n"
                                   "data\\*.*: Alpha.TXT(20) beta.txt(20) gamma.c(20) noext(20) ro.txt(21) end 1\n"
                                   "data/*.txt: Alpha.TXT(20) beta.txt(20) ro.txt(21) end 1\n"
                                   "C:data\\*.*: .(10) ..(10) Alpha.TXT(20) beta.txt(20) gamma.c(20) noext(20) "
                                   "ro.txt(21) sub(10) end 1\n"
                                   "data/*.TXT: .hidden.txt(22) Alpha.TXT(20) beta.txt(20) ro.txt(21) end 1\n"
                                   "data/?eta.*: beta.txt(20) end 1\n"
                                   "data/B*: beta.txt(20) end 1\n"
                                   "data/nothing.*: end 1\n"
                                   "data/*.: noext(20) end 1\n"
                                   "nowhere/*.*: end 1\n"
                                   "beta 5 1 1\n"
                                   "oldest given way -1, newest 0 beta.txt\n"
                                   "fnsplit 30 [C:][\\tc\\bin\\][prog][.c]\n"
                                   "fnsplit 4 [][][noext][] 7\n"
                                   "fnmerge C:\\tc\\bin\\prog.exe\n"
                                   "disk 2\n"
                                   "cwd /data\n";
        QTest::newRow("findfirst and dir.h") << "piece_findfirst.c" << QStringList() << QStringList()
            << QByteArray() << listing
                                             << QByteArrayList();
        QTest::newRow("findfirst and dir.h in C++") << "piece_findfirst.c" << QStringList{"-P"} << QStringList()
                                                    << QByteArray() << listing << QByteArrayList();
        // Parts cut to the buffers old programs gave, by the size the
        // compiler sees or the program's own MAXFILE and MAXEXT.
        const QByteArray parts = "[C:][\\projects\\accounts\\][customer][.rec] kept\n"
                                 "[C:\\projects\\accounts\\cu] kept\n"
                                 "[report_f][.tex]\n"
                                 "0 []\n";
        QTest::newRow("fnsplit and fnmerge within old buffers")
            << "piece_fnsplit_room.c" << QStringList() << QStringList() << QByteArray() << parts << QByteArrayList();
        QTest::newRow("fnsplit and fnmerge within old buffers, C++")
            << "piece_fnsplit_room.c" << QStringList{"-P"} << QStringList() << QByteArray() << parts
            << QByteArrayList();
        QTest::newRow("fnsplit and fnmerge within old buffers, Clang")
            << "piece_fnsplit_room.c" << QStringList() << clang << QByteArray() << parts << QByteArrayList();
        // The program's own fnsplit() and fnmerge() in a file of their own
        // are the ones its other files call.
        QTest::newRow("own fnsplit and fnmerge in another file")
            << "piece_own_fnsplit.c" << QStringList{"piece_own_fnsplit_def.c"} << QStringList() << QByteArray()
            << QByteArray("own 7 [own] own\n") << QByteArrayList();
        // The headers declare what the old ones did, not all of <unistd.h>.
        const QByteArray ownIo = "Asha 87\n--\n1 1\n";
        QTest::newRow("own read(), write() and pause() beside <process.h> and <dir.h>")
            << "piece_own_io.c" << QStringList() << QStringList() << QByteArray() << ownIo << QByteArrayList();
        QTest::newRow("own read(), write() and pause(), Clang")
            << "piece_own_io.c" << QStringList() << clang << QByteArray() << ownIo << QByteArrayList();
        // At a pipe the cursor call writes nothing.
        const QByteArray registers = "mouse 0 0 0 0\nbytes 34 12\n|cursor 0\nTD mode 3 80\nunknown 1 1 1 99\n"
                                     "time 1 0\nother 1234 1\nsegments 0\nkey 1e 61 30 62\nnone waiting 1\n";
        QTest::newRow("int86 without a mouse driver") << "piece_int86.c" << QStringList() << QStringList()
            << QByteArray("ab") << registers
                                                      << QByteArrayList();
        QTest::newRow("int86 in C++") << "piece_int86.c" << QStringList{"-P"} << QStringList()
            << QByteArray("ab") << registers
                                      << QByteArrayList();
        QTest::newRow("file streams with int modes")
            << "piece_fstream.cpp" << QStringList() << QStringList() << QByteArray()
            << QByteArray("joined first\nappended first+more\nnocreate 1\nnoreplace 1\nin and out made\nkept 1\n"
                          "only existing 1\nstill first+more\nnew fresh\nstandard plain\nrecords rec+two\n")
            << QByteArrayList{"piece_fstream.cpp:9:55: warning: \xe2\x80\x98" "fstream::fstream(const char*, int, int)"
                              "\xe2\x80\x99 " + oldModeWarning,
                              "piece_fstream.cpp:13:13: warning: \xe2\x80\x98void ofstream::open(const char*, int, int)"
                              "\xe2\x80\x99 " + oldModeWarning,
                              "piece_fstream.cpp:16:58: warning: \xe2\x80\x98ifstream::ifstream(const char*, "
                              "std::ios_base::openmode, int)\xe2\x80\x99 is deprecated: the protection argument of the "
                              "old streams is not used"};
        QTest::newRow("random(n) below n when rand() gives RAND_MAX")
            << "piece_random_max.c" << QStringList() << QStringList()
            << QByteArray() << QByteArray("5 0 99\n") << QByteArrayList();
        QTest::newRow("random(n) below n, C++") << "piece_random_max.c" << QStringList{"-P"} << QStringList()
                                                << QByteArray() << QByteArray("5 0 99\n") << QByteArrayList();
        QTest::newRow("random(n) below n, strict C11") << "piece_random_max.c" << QStringList{"-std=c11"}
                                                       << QStringList()
                                                       << QByteArray() << QByteArray("5 0 99\n") << QByteArrayList();
        QTest::newRow("random(n) below n, Clang") << "piece_random_max.c" << QStringList() << clang
                                                  << QByteArray() << QByteArray("5 0 99\n") << QByteArrayList();
        QTest::newRow("random(int) declared by an old C++ program")
            << "piece_random_prototype.cpp" << QStringList() << QStringList()
            << QByteArray() << QByteArray("1\n") << QByteArrayList();
        // Programs of today build without a warning and are unaffected.
        QTest::newRow("modern C11 declaring random()") << "piece_random_declared.c" << modernC << QStringList()
                                                       << QByteArray() << QByteArray("1\n") << QByteArrayList();
        QTest::newRow("modern C11 declaring random(), Clang") << "piece_random_declared.c" << modernC << clang
                                                              << QByteArray() << QByteArray("1\n") << QByteArrayList();
        QTest::newRow("modern C11 with its own CLK_TCK, mkdir and findfirst")
            << "piece_modern.c" << modernC << QStringList()
            << QByteArray() << QByteArray("100 1 120\n") << QByteArrayList();
        QTest::newRow("modern C++17 streams and clock")
            << "piece_modern.cpp" << QStringList{"-w", "-w!", "-std=c++17"} << QStringList()
            << QByteArray() << QByteArray("modern 1 1\n") << QByteArrayList();
    }

    void programs()
    {
        QFETCH(QString, fixture);
        QFETCH(QStringList, switches);
        QFETCH(QStringList, variables);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QFETCH(QByteArrayList, messages);
        QTemporaryDir dir;
        const Build built = build(fixture, switches, variables, dir.path());
        QVERIFY2(!built.program.isEmpty(), built.output.constData());
        for (const QByteArray &message : messages)
            QVERIFY2(built.output.contains(message), built.output.constData());
        if (messages.isEmpty())
            QVERIFY2(!built.output.contains("warning"), built.output.constData());
        QProcess run;
        run.setWorkingDirectory(dir.path());
        run.start(built.program, {});
        QVERIFY(run.waitForStarted());
        run.write(input);
        run.closeWriteChannel();
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(run.readAllStandardOutput().split('\n'), expected.split('\n'));
    }

    // At a terminal the video call that places the cursor moves the
    // terminal's, counting rows and columns from 0, and the keyboard call
    // gives an arrow key as scan code 0x48 without a character.
    void registersAtATerminal()
    {
        QTemporaryDir dir;
        const Build built = build(QStringLiteral("piece_int86.c"), {}, {}, dir.path());
        QVERIFY2(!built.program.isEmpty(), built.output.constData());
        const PtySession session = PtySession::run({built.program}, {{"segments 0", "a\033[A"}});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 0);
        for (const QByteArray &shown : {QByteArray("bytes 34 12\r\n\033[5;10H|cursor 0"),
                                        QByteArray("key 1e 61 48 0\r\nnone waiting 1\r\n")})
            QVERIFY2(session.output.contains(shown), session.output.constData());
    }
};

QTEST_GUILESS_MAIN(TestOldPieces)
#include "tst_oldpieces.moc"
