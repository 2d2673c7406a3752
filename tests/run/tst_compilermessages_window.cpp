#include "app/widgets/mainwindow.h"
#include "platform/qt/outputview.h"
#include "support/outputsamples.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <Qsci/qsciscintilla.h>

namespace {

QByteArray sample(const QString &name)
{
    return OutputSamples::read(name);
}

// Answers every message box with OK while it lives, and remembers the titles.
class BoxAnswerer : public QObject
{
public:
    QStringList seen;

    BoxAnswerer()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            seen.append(box->windowTitle());
            QAbstractButton *ok = box->button(QMessageBox::Ok);
            (ok ? ok : box->buttons().constFirst())->click();
        });
        m_poll.start(10);
    }

private:
    QTimer m_poll;
};

} // namespace

// The compiler's messages through the real windows: F8 in the editor, a
// double-click in the run window's output, typing and Ctrl+S in the editor.
class TestCompilerMessagesWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;

    QsciScintilla *editor() { return m_window->findChild<QsciScintilla *>(QStringLiteral("Text1")); }
    MainForm &form() { return m_window->form(); }

    static void settle() { QCoreApplication::processEvents(); }

    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_window.get(), k, modifiers);
        settle();
    }

    QString writeFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return file.fileName();
    }

    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Opens source and compiles it with a compiler that prints output.
    void compile(const QString &source, const QString &compilerFolder, const QByteArray &output)
    {
        const QString printed = writeFile(m_dir.filePath(QStringLiteral("printed.txt")), output);
        const QString compiler = writeFile(compilerFolder + QStringLiteral("/cc.sh"),
                                           "#!/bin/sh\n/bin/cat '" + printed.toUtf8() + "'\nexit 1\n");
        QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeUser);
        QString path = source;
        QVERIFY(form().document.OpenSourceFile(Document::OpenMode::LoadGiven, path, {}));
        form().compile.CompilerPath = compiler;
        editor()->setFocus();
        BoxAnswerer answerer;
        key(Qt::Key_F9, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(answerer.seen.contains(QStringLiteral("Compilation unsuccessful...")), 15000);
        QTRY_VERIFY(!form().runWindow.isRunning());
    }

    static void activate(QWidget *window)
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    int caretLine()
    {
        return int(editor()->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                           editor()->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)));
    }

    // A double-click on a line of the run window's output, where it is drawn.
    void doubleClickOutputLine(int line)
    {
        auto *view = m_window->runWindow().output();
        QTextCursor cursor(view->document()->findBlockByNumber(line));
        view->setTextCursor(cursor);
        view->ensureCursorVisible();
        settle();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(cursor).center());
        settle();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toUtf8());
        QDir::setCurrent(m_dir.path());
    }

    void init()
    {
        m_window = std::make_unique<MainWindow>(QString());
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup()
    {
        m_window->runWindow().hide();
        m_window.reset();
    }

    // F8 after "undefined reference to `square(int)'" lands on the call.
    void f8AfterALinkerErrorLandsOnTheCall()
    {
        const QString source = writeFile(m_dir.filePath(QStringLiteral("square.cpp")),
                                         "#include <iostream>\n\nint square(int x);\n\nint main()\n{\n"
                                         "    std::cout << square(3) << \"\\n\";\n    return 0;\n}\n");
        compile(source, m_dir.filePath(QStringLiteral("gnu/bin")), sample(QStringLiteral("gcc-link-square")));
        activate(m_window.get());
        editor()->setFocus();
        editor()->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0);
        key(Qt::Key_F8);
        QTRY_COMPARE(caretLine(), 6);
        QCOMPARE(form().state.currFilename, source);
        QVERIFY(!editor()->isReadOnly());
    }

    // A template error inside a library header: F8 lands on the user's
    // "required from here" line; the header, opened by a double-click on the
    // error's own output line, is read-only: typing and Ctrl+S change nothing.
    void aLibraryHeaderOpensReadOnly()
    {
        // The compiler's own installation holds the header, as
        // /usr/include holds it for /usr/bin/g++.
        const QString toolchain = m_dir.filePath(QStringLiteral("toolchain"));
        QByteArray library;
        for (int line = 1; line <= 2000; ++line)
            library += "// library line " + QByteArray::number(line) + "\n";
        const QString header = writeFile(toolchain + QStringLiteral("/include/c++/12/bits/stl_algo.h"), library);
        writeFile(toolchain + QStringLiteral("/include/c++/12/bits/stl_iterator.h"), library);
        QByteArray output = sample(QStringLiteral("gcc-sort"));
        output.replace("/usr/include/", (toolchain + QStringLiteral("/include/")).toUtf8());
        // Apart from the toolchain: a header in the source's folder is the user's.
        const QString source = writeFile(m_dir.filePath(QStringLiteral("project/sortlist.cpp")),
                                         "#include <algorithm>\n#include <list>\n\nint main()\n{\n"
                                         "    std::list<int> numbers{3, 1, 2};\n"
                                         "    std::sort(numbers.begin(), numbers.end());\n    return 0;\n}\n");
        compile(source, toolchain + QStringLiteral("/bin"), output);

        activate(m_window.get());
        editor()->setFocus();
        key(Qt::Key_F8);
        QTRY_COMPARE(caretLine(), 6);
        QCOMPARE(form().state.currFilename, source);

        int errorLine = -1;
        for (const Diagnostic &d : form().runWindow.diagnostics()) {
            if (d.isError()) {
                errorLine = d.outputLine;
                break;
            }
        }
        QVERIFY(errorLine > 0);
        activate(&m_window->runWindow());
        doubleClickOutputLine(errorLine);
        QTRY_COMPARE(form().state.currFilename, header);
        QCOMPARE(caretLine(), 1937);
        QVERIFY(editor()->isReadOnly());
        auto *label = m_window->findChild<QLabel *>(QStringLiteral("lblFilename"));
        QVERIFY2(label->text().contains(QStringLiteral("Read-only: a system file")), qPrintable(label->text()));

        const QDateTime written = QFileInfo(header).lastModified();
        activate(m_window.get());
        editor()->setFocus();
        QTRY_VERIFY(editor()->hasFocus());
        const QString shown = editor()->text();
        QTest::keyClicks(editor(), QStringLiteral("x"));
        key(Qt::Key_Delete);
        key(Qt::Key_Backspace);
        QCOMPARE(editor()->text(), shown);
        BoxAnswerer answerer;
        key(Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY(answerer.seen.contains(QStringLiteral("File not saved")));
        QCOMPARE(readFile(header), library);
        QCOMPARE(QFileInfo(header).lastModified(), written);
    }
};

QTEST_MAIN(TestCompilerMessagesWindow)
#include "tst_compilermessages_window.moc"
