// kvncc on files it cannot use: each ends at once with a "kvncc: fatal:"
// line and status 1, never with an abort or a wait. And on sources with
// lines of a megabyte, which it reads through like any other.
#include "kvncc/commandline.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kvnccPath = QStringLiteral(KVNCC_PATH);

QByteArray reason(int error)
{
    return QByteArray(": ") + std::strerror(error);
}

// Makes one entry of a row's folder: "dir:name", "file:name:content",
// "link:name:target", "fifo:name", or "lock:name" (a folder no one may enter).
bool make(const QDir &dir, const QString &entry)
{
    const QString kind = entry.section(u':', 0, 0);
    const QString path = dir.filePath(entry.section(u':', 1, 1));
    const QString rest = entry.section(u':', 2);
    if (kind == u"dir")
        return dir.mkpath(path);
    if (kind == u"lock")
        return QFile::setPermissions(path, QFileDevice::Permissions());
    if (kind == u"link")
        return ::symlink(rest.toLocal8Bit().constData(), QFile::encodeName(path).constData()) == 0;
    if (kind == u"fifo")
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(rest.toUtf8()) == rest.toUtf8().size();
}

} // namespace

class TestKvnccFaults : public QObject
{
    Q_OBJECT

private slots:
    // The folder's entries, the command line run in it, and what the fatal
    // line must hold: the file it is about and why.
    void endsWithAFatalLine_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArrayList>("says");

        const QString source = QStringLiteral("int main() { return 0; }\n");
        QTest::newRow("source in a folder without permission")
            << QStringList{"dir:locked", "file:locked/a.cpp:" + source, "lock:locked"} << QStringList{"locked/a.cpp"}
            << QByteArrayList{"locked/a.cpp", reason(EACCES)};
        QTest::newRow("source that is a symbolic-link loop") << QStringList{"link:loop.cpp:loop.cpp"}
                                                             << QStringList{"loop.cpp"}
                                                             << QByteArrayList{"loop.cpp", reason(ELOOP)};
        const QString longName = QString(296, u'a') + QStringLiteral(".cpp");
        QTest::newRow("source name of 300 bytes") << QStringList{} << QStringList{longName}
                                                  << QByteArrayList{longName.toUtf8(), reason(ENAMETOOLONG)};
        QTest::newRow("source that is a folder") << QStringList{"dir:folder.cpp"} << QStringList{"folder.cpp"}
                                                 << QByteArrayList{"folder.cpp", "is a folder"};
        QTest::newRow("source that is a pipe") << QStringList{"fifo:pipe.cpp"} << QStringList{"pipe.cpp"}
                                               << QByteArrayList{"pipe.cpp", "is not a regular file"};
        QTest::newRow("@file that is a folder") << QStringList{"dir:folder.rsp", "file:a.cpp:" + source}
                                                << QStringList{"@folder.rsp", "a.cpp"}
                                                << QByteArrayList{"folder.rsp", "is a folder"};
        QTest::newRow("@file that is a pipe") << QStringList{"fifo:pipe.rsp", "file:a.cpp:" + source}
                                              << QStringList{"@pipe.rsp", "a.cpp"}
                                              << QByteArrayList{"pipe.rsp", "is not a regular file"};
        QTest::newRow("@file with a NUL byte")
            << QStringList{"file:a.cpp:" + source, QStringLiteral("file:nul.rsp:-w") + QChar(0) + QStringLiteral("-c a.cpp\n")}
            << QStringList{"@nul.rsp"} << QByteArrayList{"nul.rsp", "NUL byte"};

        // Seven files of 120 bytes, each naming the next twelve times:
        // millions of files to read within the nesting depth.
        QStringList fan{"file:a.cpp:" + source, "file:f6.rsp:-w"};
        for (int i = 0; i < 6; ++i) {
            const QString next = QStringLiteral("@f%1.rsp ").arg(i + 1).repeated(12);
            fan.append(QStringLiteral("file:f%1.rsp:").arg(i) + next.leftJustified(120, u' '));
        }
        QTest::newRow("fan of response files")
            << fan << QStringList{"@f0.rsp", "a.cpp"}
            << QByteArrayList{"more than " + QByteArray::number(kvncc::commandFilesAtMost)};
        // Each reading within the limit alone, not both together.
        const QString half(qsizetype(kvncc::commandBytesAtMost / 2 + 1), u' ');
        QTest::newRow("@files of too many bytes in all")
            << QStringList{"file:a.cpp:" + source, "file:big.rsp:" + half} << QStringList{"@big.rsp", "@big.rsp", "a.cpp"}
            << QByteArrayList{"more than " + QByteArray::number(qulonglong(kvncc::commandBytesAtMost)) + " bytes"};
    }
    void endsWithAFatalLine()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, args);
        QFETCH(QByteArrayList, says);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const QString &entry : entries)
            QVERIFY2(make(QDir(dir.path()), entry), qPrintable(entry));

        QString program = kvnccPath;
        args.prepend(QStringLiteral("-q"));
        const bool locked = entries.filter(QStringLiteral("lock:")).size() > 0;
        if (locked && ::geteuid() == 0) {
            // Permissions do not hold for root: kvncc runs as nobody instead.
            const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
            if (setpriv.isEmpty())
                QSKIP("running as root, and setpriv is not there to run kvncc as another user");
            QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFileDevice::ExeOther));
            args = QStringList{QStringLiteral("--reuid=65534"), "--regid=65534", "--clear-groups", kvnccPath} + args;
            program = setpriv;
        }

        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(dir.path());
        process.start(program, args);
        QVERIFY(process.waitForStarted(10000));
        const bool ended = process.waitForFinished(15000);
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        const QByteArray output = process.readAll();
        if (locked)
            QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                              | QFileDevice::ExeOwner);

        QVERIFY2(ended, output.constData());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QVERIFY2(!output.contains("terminate called"), output.constData());
        const qsizetype start = output.indexOf("kvncc: fatal: ");
        QVERIFY2(start >= 0, output.constData());
        const QByteArray line = output.mid(start, output.indexOf('\n', start) - start);
        for (const QByteArray &part : says)
            QVERIFY2(line.contains(part), line.constData());
    }

    // Valid sources with lines of a megabyte: kvncc reads them through to
    // the compiler, which builds them or says what is wrong in its own
    // words; kvncc itself never crashes on them.
    void linesOfAMegabyte_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("says");

        const qsizetype megabyte = qsizetype(1) << 20;
        QTest::newRow("comment line") << "comment.cpp"
                                      << "#include <stdio.h>\n// " + QByteArray(megabyte, 'x')
                                             + "\nint main() { return 0; }\n"
                                      << 0 << QByteArray();
        QTest::newRow("comment in a void main program")
            << "comment.c" << "#include <stdio.h>\n/* " + QByteArray(megabyte, 'x') + " */\nvoid main() { }\n" << 0
            << QByteArray();
        QTest::newRow("blank line in a C++ void main program")
            << "blank.cpp" << "#include <stdio.h>\n" + QByteArray(megabyte, ' ') + "\nvoid main() { }\n" << 0
            << QByteArray();
        QByteArray list;
        while (list.size() < megabyte)
            list += "0x0000000, ";
        QTest::newRow("initializer list") << "list.cpp"
                                          << "unsigned int left[] = {" + list + "0};\nint main() { return int(left[0]); }\n"
                                          << 0 << QByteArray();
        QTest::newRow("declaration with blanks before the name")
            << "declaration.cpp" << "unsigned" + QByteArray(megabyte, ' ') + "int left = 0;\nint main() { return left; }\n"
            << 0 << QByteArray();
        QTest::newRow("#include line") << "include.cpp"
                                       << "#include <" + QByteArray(megabyte, 'y') + ">\nint main() { return 0; }\n" << 1
                                       << QByteArray("fatal error: ");
    }
    void linesOfAMegabyte()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, source);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, says);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(source), source.size());
        file.close();

        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(dir.path());
        // A cache of its own, so that the leading block of includes is
        // read as well.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("KVNCC_NO_CACHE"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
        process.setProcessEnvironment(environment);
        process.start(kvnccPath, {QStringLiteral("-q"), QStringLiteral("-c"), name});
        QVERIFY(process.waitForStarted(10000));
        const bool ended = process.waitForFinished(60000);
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        const QByteArray output = process.readAll();
        const QByteArray shown = output.left(2000);
        QVERIFY2(ended, shown.constData());
        QVERIFY2(process.exitStatus() == QProcess::NormalExit, shown.constData());
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY2(output.contains(says), shown.constData());
        QVERIFY2(!output.contains("kvncc: fatal:"), shown.constData());
    }
};

QTEST_GUILESS_MAIN(TestKvnccFaults)
#include "tst_kvncc_faults.moc"
