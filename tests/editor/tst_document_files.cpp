#include "editorfixture.h"

#include "support/compilefixture.h"
#include "editor/document.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakemessages.h"
#include "platform/qt/qtfilesystem.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// Saving through the real file system: a read-only file is refused and left
// alone, a symbolic link is saved through to its target, permissions stay.
class TestDocumentFiles : public QObject
{
    Q_OBJECT

private:
    struct Fixture : EditorFixture
    {
        QtFileSystem files;
        FakeMessages messages;
        FakeFileDialogs dialogs;
        FakeMenuItem mnuFileSaved{false};
        FakeFileSystem unusedFiles;
        CompileFixture panel{messages, dialogs, unusedFiles};
        Document document{state, controls, ex, {files, messages, dialogs, panel.locations}, mnuFileSaved};

        bool open(const QString &path)
        {
            QString p = path;
            return document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {});
        }
    };

    QTemporaryDir m_dir;

    QString put(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return path;
    }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void readOnlyFileIsNotReplaced()
    {
        const QString path = put(QStringLiteral("ro.cpp"), "int a;\r\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        Fixture f;
        QVERIFY(f.open(path));
        f.box.type(QStringLiteral("x"));
        f.document.mnuSave_Click();
        QCOMPARE(contents(path), QByteArray("int a;\r\n"));
        QVERIFY(!f.state.FileSaved);
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File not saved")});
        QVERIFY(f.messages.calls[0].text.contains(QStringLiteral("read-only")));
        QCOMPARE(QFileInfo(path).permissions() & QFileDevice::WriteOwner, QFileDevice::Permissions());
    }

    void linkIsSavedThroughAndPermissionsStay()
    {
        const QString target = put(QStringLiteral("real.c"), "int b;\n");
        const QString link = m_dir.filePath(QStringLiteral("link.c"));
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        QVERIFY(QFile::link(target, link));
        Fixture f;
        QVERIFY(f.open(link));
        f.box.type(QStringLiteral("/* x */ "));
        f.document.mnuSave_Click();
        QVERIFY(f.state.FileSaved);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contents(target), QByteArray("/* x */ int b;\n"));
        QVERIFY(QFileInfo(target).permissions().testFlag(QFileDevice::ExeOwner));
        // No temporary file is left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2 + 1); // real.c, link.c, ro.cpp
    }
};

QTEST_GUILESS_MAIN(TestDocumentFiles)
#include "tst_document_files.moc"
