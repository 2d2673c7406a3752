#include "app/widgets/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <Qsci/qsciscintilla.h>

#include <csignal>

namespace {

// Answers every modal dialog that comes up while it lives, as a user would,
// and remembers which ones came.
class DialogAnswerer : public QObject
{
public:
    QStringList seen;                 // window titles, in order
    QStringList over;                 // the object name of the window each stood over
    QStringList promptAnswers;        // typed into input prompts, in turn
    QMessageBox::StandardButton boxAnswer = QMessageBox::Cancel;
    QHash<QString, QMessageBox::StandardButton> answerByTitle; // before boxAnswer
    std::function<void(QWidget *)> beforeAnswer = [](QWidget *) {};
    std::function<void(QFileDialog *)> onFileDialog = [](QFileDialog *d) { d->reject(); };

    DialogAnswerer()
    {
        connect(&m_poll, &QTimer::timeout, this, &DialogAnswerer::answer);
        m_poll.start(10);
    }

private:
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        seen.append(modal->windowTitle());
        over.append(modal->parentWidget() ? modal->parentWidget()->window()->objectName() : QString());
        beforeAnswer(modal);
        if (auto *prompt = qobject_cast<QInputDialog *>(modal)) {
            prompt->setTextValue(promptAnswers.isEmpty() ? QString() : promptAnswers.takeFirst());
            prompt->accept();
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            QAbstractButton *button = box->button(answerByTitle.value(box->windowTitle(), boxAnswer));
            (button ? button : box->buttons().constFirst())->click();
        } else if (auto *files = qobject_cast<QFileDialog *>(modal)) {
            onFileDialog(files);
        }
    }

    QTimer m_poll;
};

} // namespace

// Keys, clicks and focus reach the real window as a desktop delivers them:
// a key's press and release each go to the widget that has the keyboard at
// that moment, the event loop runs between them, and a click lands at the
// pixel where the control is drawn.
class TestMainWindowInput : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_workDir;
    std::unique_ptr<MainWindow> m_window;

    template<typename T>
    T *find(const char *name)
    {
        return m_window->findChild<T *>(QString::fromUtf8(name));
    }
    QsciScintilla *editor() { return find<QsciScintilla>("Text1"); }
    MainForm &form() { return m_window->form(); }

    static void settle() { QCoreApplication::processEvents(); }

    // One key as a desktop delivers it: the press to the focus widget, the
    // event loop, then the release to whatever has the focus now.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyPress(keyboardOwner(), k, modifiers);
        settle();
        QTest::keyRelease(keyboardOwner(), k, modifiers);
        settle();
    }

    // The widget with the keyboard, or the window when a dialog just closed.
    QWidget *keyboardOwner()
    {
        QWidget *focus = QApplication::focusWidget();
        return focus ? focus : m_window.get();
    }

    void type(const QString &text)
    {
        for (const QChar c : text) {
            QTest::keyClick(keyboardOwner(), c.toLatin1());
            settle();
        }
    }

    void click(const char *button)
    {
        QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
        settle();
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(QDir::current().filePath(name));
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

    void openGiven(const QString &path)
    {
        QString p = path;
        QVERIFY(form().document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
        editor()->setFocus();
        settle();
    }

    // Another program writes the file, as an editor or a version control
    // tool beside KVN would.
    static bool writeByAnotherProcess(const QString &path, const QByteArray &bytes)
    {
        QProcess sh;
        sh.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("printf '%s' \"$1\" > \"$2\""),
                                              QStringLiteral("sh"), QString::fromUtf8(bytes), path});
        return sh.waitForFinished(10000) && sh.exitStatus() == QProcess::NormalExit && sh.exitCode() == 0;
    }

    // The user works in another window, where meanwhile happens, and comes
    // back to KVN's.
    void leaveAndComeBack(const std::function<void()> &meanwhile)
    {
        QWidget other;
        other.setObjectName(QStringLiteral("otherProgram"));
        other.resize(200, 100);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        meanwhile();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        settle();
    }

    // The window active again after a box closed, as the desktop makes it,
    // and the keys in the editor.
    void backFromTheBox()
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        editor()->setFocus();
        QTRY_VERIFY(editor()->hasFocus());
    }

    // Saves through Ctrl+S without the "File saved." box.
    void saveWithKeys()
    {
        m_window->menuAction(QStringLiteral("mnuFileSaved"))->setChecked(false);
        key(Qt::Key_S, Qt::ControlModifier);
    }

    // The centre of a list row's check box, where the style draws it.
    static QPoint checkBoxCentre(QListWidget *list, int row)
    {
        QListWidgetItem *item = list->item(row);
        list->scrollToItem(item);
        QStyleOptionViewItem option;
        option.initFrom(list->viewport());
        option.rect = list->visualItemRect(item);
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        option.text = item->text();
        option.checkState = item->checkState();
        return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list).center();
    }

private slots:
    // A compile from a maximised editor: its verdict stands over the run
    // window, which comes forward at the end, so the output is in front.
    // What a compile ends with, a failure's verdict or the offer to run the
    // program, stands over the run window, so a maximised editor hides
    // neither the box nor the output beneath it.
    void whatACompileEndsWithStandsOverTheRunWindow_data()
    {
        QTest::addColumn<QByteArray>("compilerOutput");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("box");
        QTest::newRow("failed") << QByteArray("ends.cpp:1:21: error: 'x' was not declared in this scope\n") << 1
                                << QStringLiteral("Compilation unsuccessful...");
        QTest::newRow("clean") << QByteArray() << 0 << QStringLiteral("Execute your app?");
    }

    void whatACompileEndsWithStandsOverTheRunWindow()
    {
        QFETCH(QByteArray, compilerOutput);
        QFETCH(int, exitStatus);
        QFETCH(QString, box);
        const QString source = writeFile(QStringLiteral("ends.cpp"), "int main() { return 0; }\n");
        writeFile(QStringLiteral("ends.txt"), compilerOutput);
        const QString compiler = writeFile(QStringLiteral("ends.sh"),
                                           "#!/bin/sh\n/bin/cat ends.txt\nexit " + QByteArray::number(exitStatus) + "\n");
        QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeUser);
        openGiven(source);
        form().compile.CompilerPath = compiler;
        key(Qt::Key_E, Qt::ControlModifier);
        QTRY_VERIFY(m_window->isMaximized());
        DialogAnswerer answerer;
        answerer.boxAnswer = exitStatus == 0 ? QMessageBox::No : QMessageBox::Ok;
        key(Qt::Key_F9, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(answerer.seen.contains(box), 15000);
        QCOMPARE(answerer.over.at(answerer.seen.indexOf(box)), QStringLiteral("frmRun"));
        QVERIFY(m_window->runWindow().isVisible());
    }

    // Rebuilding a program that still runs in the terminal KVN opened for
    // it asks first; Yes stops that program before the compile goes on.
    void rebuildingARunningProgramAsksToStopIt()
    {
        // A terminal that runs its command in the background, and kvnrun
        // from the build, both found as KVN looks for them at start.
        const QString terminal = writeFile(QStringLiteral("term.sh"),
                                           "#!/bin/sh\nwhile [ $# -gt 0 ] && [ \"$1\" != -e ]; do shift; done\nshift\n"
                                           "\"$@\" < /dev/null > /dev/null 2>&1 &\n");
        QFile::setPermissions(terminal, QFile::permissions(terminal) | QFileDevice::ExeUser);
        const QByteArray oldTerminal = qgetenv("TERMINAL");
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("TERMINAL", terminal.toLocal8Bit());
        qputenv("PATH", QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../..")).absolutePath().toLocal8Bit()
                            + ':' + oldPath);
        m_window = std::make_unique<MainWindow>(QString());
        qputenv("TERMINAL", oldTerminal);
        qputenv("PATH", oldPath);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));

        // The "compiler" writes a program that names its process, then runs
        // until it is stopped.
        const QString started = QDir::current().filePath(QStringLiteral("started.txt"));
        QFile::remove(started);
        const QString compiler = writeFile(
            QStringLiteral("builds.sh"),
            "#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in -e*) out=${a#-e};; esac; done\n"
            "printf '#!/bin/sh\\n/bin/sleep 0.2\\necho $$ > \"%s\"\\nexec /bin/sleep 60\\n' '" + started.toLocal8Bit() + "' > \"$out\"\n"
            "/bin/chmod +x \"$out\"\n");
        QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeUser);
        openGiven(writeFile(QStringLiteral("runs.cpp"), "int main() { for (;;) {} }\n"));
        form().compile.CompilerPath = compiler;

        DialogAnswerer answerer;
        answerer.answerByTitle.insert(QStringLiteral("Execute your app?"), QMessageBox::Yes);
        key(Qt::Key_F9, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(readFile(started).trimmed().toInt() > 0, 15000);
        const pid_t program = readFile(started).trimmed().toInt();
        const auto running = [program] { return ::kill(program, 0) == 0 && !readFile(QStringLiteral("/proc/%1/stat").arg(program)).contains(") Z "); };
        QVERIFY(running());

        answerer.answerByTitle.insert(QStringLiteral("Execute your app?"), QMessageBox::No);
        answerer.answerByTitle.insert(QStringLiteral("Program still running"), QMessageBox::Yes);
        answerer.seen.clear();
        m_window->activateWindow();
        editor()->setFocus();
        settle();
        key(Qt::Key_F9, Qt::ControlModifier);
        QTRY_VERIFY2_WITH_TIMEOUT(answerer.seen.contains(QStringLiteral("Execute your app?")),
                                  qPrintable(answerer.seen.join(QStringLiteral(" | "))), 15000);
        const bool stopped = !running();
        ::kill(program, SIGKILL); // whatever happened, nothing is left running
        QCOMPARE(answerer.seen.first(), QStringLiteral("Program still running"));
        QVERIFY(stopped);
    }

    void initTestCase()
    {
        QVERIFY(m_workDir.isValid());
        QDir::setCurrent(m_workDir.path());
    }

    void init()
    {
        m_window = std::make_unique<MainWindow>(QString());
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTRY_VERIFY(editor()->hasFocus());
    }

    void cleanup() { m_window.reset(); }

    // Ctrl+Y and the typing after it never leave a lone CR in the file.
    void cutLineThenTypeKeepsLineEnds_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("gotoLine");
        QTest::addColumn<int>("rights");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("caret inside an indented line")
            << QByteArray("int main() {\n  return 0;\n}\n") << QStringLiteral("2") << 4
            << QByteArray("int main() {\nx\n}\n");
        QTest::newRow("caret after a tab, CR LF file")
            << QByteArray("{\r\n\tint a;\r\n}\r\n") << QStringLiteral("2") << 1 << QByteArray("{\r\nx\r\n}\r\n");
        QTest::newRow("caret at the end of the line")
            << QByteArray("a\nbcd\ne\n") << QStringLiteral("2") << 3 << QByteArray("a\nx\ne\n");
    }

    void cutLineThenTypeKeepsLineEnds()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, gotoLine);
        QFETCH(int, rights);
        QFETCH(QByteArray, saved);
        const QString path = writeFile(QStringLiteral("cut.cpp"), file);
        openGiven(path);
        auto *gotoBox = find<QLineEdit>("txtGotoLine");
        gotoBox->setFocus();
        gotoBox->selectAll();
        type(gotoLine);
        key(Qt::Key_Return);
        QVERIFY(editor()->hasFocus());
        for (int i = 0; i < rights; ++i)
            key(Qt::Key_Right);
        key(Qt::Key_Y, Qt::ControlModifier);
        type(QStringLiteral("x"));
        saveWithKeys();
        QCOMPARE(readFile(path), saved);
    }

    // The template at start-up: Ctrl+Y on line 7, type, save.
    void cutLineOnTheTemplate()
    {
        key(Qt::Key_Y, Qt::ControlModifier);
        type(QStringLiteral("x"));
        form().state.currFilename = QDir::current().filePath(QStringLiteral("template.cpp"));
        saveWithKeys();
        const QByteArray bytes = readFile(form().state.currFilename);
        QVERIFY(bytes.contains("int main(void) {\nx\n\tsystem"));
        QVERIFY(!bytes.contains('\r'));
    }

    // Every edit that can touch line ends keeps one kind in the file.
    void editingCommandsKeepOneKindOfLineEnd_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("LF") << QByteArray("one\ntwo\nthree\n");
        QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\nthree\r\n");
    }

    void editingCommandsKeepOneKindOfLineEnd()
    {
        QFETCH(QByteArray, file);
        const QByteArray ending = file.contains('\r') ? QByteArray("\r\n") : QByteArray("\n");
        const QString path = writeFile(QStringLiteral("ends.cpp"), file);
        openGiven(path);
        QApplication::clipboard()->setText(QStringLiteral("p1\np2\rp3\r\n"));
        key(Qt::Key_Down);
        key(Qt::Key_End);
        key(Qt::Key_V, Qt::ControlModifier); // paste of mixed line ends
        key(Qt::Key_Return);
        key(Qt::Key_Y, Qt::ControlModifier);
        key(Qt::Key_Z, Qt::ControlModifier);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        key(Qt::Key_Up);
        key(Qt::Key_Y, Qt::ControlModifier);
        type(QStringLiteral("y"));
        saveWithKeys();
        QByteArray bytes = readFile(path);
        QVERIFY2(!bytes.isEmpty(), "nothing saved");
        bytes.replace(ending, "");
        QVERIFY2(!bytes.contains('\r') && !bytes.contains('\n'), readFile(path).constData());
    }

    // The search goes on from where the typing left the caret, also for
    // two keys in one turn of the event loop.
    void searchStartsAfterTheTyping()
    {
        const QString path = writeFile(QStringLiteral("q.cpp"), QByteArray("int Q;\nQ"));
        openGiven(path);
        auto *search = find<QLineEdit>("txtSearch");
        search->setFocus();
        type(QStringLiteral("Q"));
        editor()->setFocus();
        key(Qt::Key_End, Qt::ControlModifier);
        type(QStringLiteral("Q"));
        const int typed = editor()->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS) - 1;
        click("cmdNext"); // nothing after the caret
        QCOMPARE(editor()->selectedText(), QString());
        click("cmdPrev"); // the Q just typed
        QCOMPARE(int(editor()->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART)), typed);
        QCOMPARE(editor()->selectedText(), QStringLiteral("Q"));

        editor()->setFocus();
        key(Qt::Key_End, Qt::ControlModifier);
        // Two keys and the click in one turn of the event loop, as a desktop
        // may deliver them.
        QTest::keyClicks(editor(), QStringLiteral("QQ"));
        const int second = editor()->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS) - 1;
        QCOMPARE(form().state.LastSearchPos, second + 1);
        click("cmdPrev");
        QCOMPARE(int(editor()->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART)), second);
    }

    // A click on the check box of a row that is not the current one works
    // on that row: its value is asked for, and no other row's is touched.
    void checkBoxClickWorksOnItsOwnRow()
    {
        m_window->menuAction(QStringLiteral("mnuCompile"))->trigger();
        auto *list = find<QListWidget>("List1");
        QTRY_VERIFY(list->hasFocus());
        DialogAnswerer answers;
        answers.promptAnswers = {QStringLiteral("/opt/lib"), QStringLiteral("-v -y")};

        // Fresh start: the current row is the list's first (if any), not "-L".
        QVERIFY(list->currentRow() != 9);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, checkBoxCentre(list, 9));
        QTRY_COMPARE(answers.seen.size(), 1);
        QCOMPARE(list->item(9)->checkState(), Qt::Checked);
        QCOMPARE(form().compile.options.values[9], QStringLiteral("/opt/lib"));

        // "extra options" ticked and current; then "-O1" is ticked by its box.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, checkBoxCentre(list, 8));
        QTRY_COMPARE(answers.seen.size(), 2);
        QCOMPARE(form().compile.options.values[8], QStringLiteral("-v -y"));
        list->setCurrentRow(8);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, checkBoxCentre(list, 6));
        QTest::qWait(50);
        QCOMPARE(answers.seen.size(), 2); // "-O1" takes no value: nothing asked
        QCOMPARE(list->item(6)->checkState(), Qt::Checked);
        QCOMPARE(form().compile.options.ticks[6], QStringLiteral("1"));
        QCOMPARE(form().compile.options.values[8], QStringLiteral("-v -y"));
        QCOMPARE(list->currentRow(), 6);
    }

    // "Replace" only ever replaces a selected match of the search text.
    void replaceTouchesOnlyMatches()
    {
        const QString path = writeFile(QStringLiteral("r.cpp"), QByteArray("top foo mid foo end\n"));
        openGiven(path);
        DialogAnswerer answers;
        answers.boxAnswer = QMessageBox::Ok;
        find<QLineEdit>("txtSearch")->setFocus();
        type(QStringLiteral("foo"));
        QTest::mouseClick(find<QCheckBox>("chkReplace"), Qt::LeftButton);
        find<QLineEdit>("txtReplace")->setFocus();
        type(QStringLiteral("X"));
        click("cmdNext");
        for (int press = 0; press < 4; ++press)
            click("cmdReplace");
        QCOMPARE(editor()->text(), QStringLiteral("top X mid X end\r\n"));
        QTRY_COMPARE(answers.seen.size(), 1); // the last press: nothing left
    }

    // Unwritten text stays unsaved when the command after "No" does not
    // replace it, so Exit still asks.
    void declinedSaveThenCancelledOpenKeepsTheTextUnsaved()
    {
        type(QStringLiteral("x"));
        DialogAnswerer answers;
        answers.boxAnswer = QMessageBox::No;
        key(Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(answers.seen.size(), 2); // the save question, then the Open dialog
        QVERIFY(editor()->text().contains(QLatin1Char('x')));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2 #"));
        QVERIFY(!form().state.FileSaved);
        answers.boxAnswer = QMessageBox::Cancel;
        m_window->activateWindow(); // as the desktop does when a dialog closes
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        key(Qt::Key_T, Qt::ControlModifier);
        QTRY_COMPARE(answers.seen.size(), 3);
        QCOMPARE(answers.seen.last(), QStringLiteral("Would you like to save your file?"));
        QVERIFY(m_window->isVisible());
    }

    // Enter in "Go to line" moves the caret; the key's release, which
    // reaches the editor, leaves the go-to status alone.
    void goToLineStatusSurvivesTheRelease()
    {
        auto *gotoBox = find<QLineEdit>("txtGotoLine");
        gotoBox->setFocus();
        gotoBox->selectAll();
        type(QStringLiteral("3"));
        key(Qt::Key_Return);
        QVERIFY(editor()->hasFocus());
        QCOMPARE(find<QLabel>("lblLine")->text(), QStringLiteral("Current line: 3 (out of 12 lines)"));
        key(Qt::Key_Down);
        QCOMPARE(find<QLabel>("lblLine")->text(), QStringLiteral("Current line: 4 out of 12 line(s)"));
    }

    // The window's commands answer their keys from every box, also those
    // that take some Ctrl keys for themselves.
    void windowKeysWorkFromEveryBox_data()
    {
        QTest::addColumn<QString>("box");
        QTest::newRow("editor") << QStringLiteral("Text1");
        QTest::newRow("search") << QStringLiteral("txtSearch");
        QTest::newRow("replace") << QStringLiteral("txtReplace");
        QTest::newRow("go to line") << QStringLiteral("txtGotoLine");
        QTest::newRow("option list") << QStringLiteral("List1");
    }

    void windowKeysWorkFromEveryBox()
    {
        QFETCH(QString, box);
        if (box == QLatin1String("List1"))
            m_window->menuAction(QStringLiteral("mnuCompile"))->trigger();
        if (box == QLatin1String("txtReplace"))
            QTest::mouseClick(find<QCheckBox>("chkReplace"), Qt::LeftButton);
        QWidget *w = m_window->findChild<QWidget *>(box);
        w->setFocus();
        QTRY_VERIFY(w->hasFocus());
        key(Qt::Key_E, Qt::ControlModifier);
        QTRY_VERIFY(m_window->isMaximized());
        key(Qt::Key_R, Qt::ControlModifier);
        QTRY_VERIFY(!m_window->isMaximized());
        // Ctrl+Y, which some desktops give an entry as its redo, cuts the
        // editor's line; on the Compile panel the hidden editor is left alone.
        QApplication::clipboard()->setText(QStringLiteral("before"));
        key(Qt::Key_Y, Qt::ControlModifier);
        const bool mainPanel = box != QLatin1String("List1");
        QCOMPARE(editor()->text(6), mainPanel ? QStringLiteral("\r\n") : QStringLiteral("\t\r\n"));
        QCOMPARE(QApplication::clipboard()->text(), mainPanel ? QStringLiteral("\t") : QStringLiteral("before"));
        // Editing keys stay with an entry: Ctrl+A selects its own text.
        if (auto *entry = qobject_cast<QLineEdit *>(w)) {
            entry->setText(QStringLiteral("abc"));
            key(Qt::Key_A, Qt::ControlModifier);
            QCOMPARE(entry->selectedText(), QStringLiteral("abc"));
            QCOMPARE(editor()->selectedText(), QString());
        }
    }

    // Save As with a bare name adds the extension of the filter chosen.
    void saveAsAddsTheChosenFilterExtension()
    {
        DialogAnswerer answers;
        answers.boxAnswer = QMessageBox::Ok;
        answers.onFileDialog = [](QFileDialog *dialog) {
            dialog->selectNameFilter(dialog->nameFilters().at(1)); // C Source files
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("hello"));
            static_cast<QDialog *>(dialog)->accept();
        };
        key(Qt::Key_F12);
        QTRY_COMPARE(form().state.currFilename, QDir::current().filePath(QStringLiteral("hello.c")));
        QVERIFY(QFile::exists(QDir::current().filePath(QStringLiteral("hello.c"))));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("hello"))));
    }

    // The Edit menu lies between the menus the window always had, and shows
    // the key of every editing command. Alt+E opens it on the Main panel and
    // stays "&Edit value"'s on the Compile panel.
    void editMenuShowsTheEditingKeys()
    {
        QStringList bar;
        for (QAction *a : m_window->menuBar()->actions())
            bar.append(a->text());
        const QString spacer = QStringLiteral("     ");
        QCOMPARE(bar, (QStringList{QStringLiteral("&Window"), spacer, QStringLiteral("&File"), QStringLiteral("&Edit"),
                                   QStringLiteral("&Search"), QStringLiteral("&Options"), spacer,
                                   QStringLiteral("&Main"), QStringLiteral("&Compile")}));
        QStringList items;
        for (QAction *a : m_window->menuAction(QStringLiteral("mnuEdit"))->menu()->actions())
            items.append(a->text() + QLatin1Char(' ') + a->shortcut().toString(QKeySequence::PortableText));
        QCOMPARE(items, (QStringList{QStringLiteral("&Undo Ctrl+Z"), QStringLiteral("&Redo Ctrl+Shift+Z"),
                                     QStringLiteral("Cu&t Ctrl+X"), QStringLiteral("&Copy Ctrl+C"),
                                     QStringLiteral("&Paste Ctrl+V"), QStringLiteral("Select &All Ctrl+A"),
                                     QStringLiteral("Cut &Line Ctrl+Y"), QStringLiteral("Zoom &In Ctrl++"),
                                     QStringLiteral("Zoom &Out Ctrl+-"), QStringLiteral("&Normal Size Ctrl+0")}));

        key(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), m_window->menuAction(QStringLiteral("mnuEdit"))->menu());
        QApplication::activePopupWidget()->close();
        settle();

        m_window->menuAction(QStringLiteral("mnuCompile"))->trigger();
        auto *list = find<QListWidget>("List1");
        QTRY_VERIFY(list->hasFocus());
        list->setCurrentRow(10);
        form().compile.options.values[10] = QStringLiteral("/usr/include/x");
        DialogAnswerer answers;
        answers.promptAnswers = {QStringLiteral("/opt/include")};
        key(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(answers.seen, QStringList{QStringLiteral("User input required.")});
        QCOMPARE(form().compile.options.values[10], QStringLiteral("/opt/include"));
    }

    // The comforts: a new line keeps the indentation of the one before, the
    // Edit menu's keys undo and redo, and zoom.
    // A broken program compiled through the real run window; its messages
    // are then followed from both windows with the keys a user presses.
    void compilerMessagesLeadToTheirLines()
    {
        const QString source = writeFile(QStringLiteral("prog.cpp"), "#include \"util.h\"\nint main()\n{\n\tint x = y;\n    return 0\n}\n");
        writeFile(QStringLiteral("util.h"), "int helper() {\n    return missing;\n}\n");
        const QString output = writeFile(QStringLiteral("output.txt"),
                                         "In file included from prog.cpp:1:\n"
                                         "util.h:2:12: error: 'missing' was not declared in this scope\n"
                                         "prog.cpp:4:17: error: 'y' was not declared in this scope\n"
                                         "prog.cpp:5:13: warning: expected ';'\n");
        const QString compiler = writeFile(QStringLiteral("cc.sh"), "#!/bin/sh\n/bin/cat output.txt\ntest -s output.txt && exit 1\nexit 0\n");
        QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeUser);
        openGiven(source);
        form().compile.CompilerPath = compiler;
        DialogAnswerer answerer;
        answerer.boxAnswer = QMessageBox::No;
        RunWindowWidget &run = m_window->runWindow();
        const auto compile = [&] {
            const int before = answerer.seen.size();
            key(Qt::Key_F9, Qt::ControlModifier);
            QTRY_VERIFY_WITH_TIMEOUT(answerer.seen.size() > before, 15000);
            settle();
        };
        compile();
        QVERIFY(find<QLabel>("lblFilename") != nullptr);
        QCOMPARE(run.findChild<QLabel *>(QStringLiteral("lblVerdict"))->text(),
                 QStringLiteral("Compilation unsuccessful: 2 errors, 1 warning."));
        // The lines of this file with messages are marked in the margin.
        QVERIFY(editor()->markersAtLine(3) != 0);
        QVERIFY(editor()->markersAtLine(4) != 0);
        QCOMPARE(editor()->markersAtLine(2), 0u);

        // Enter on the message in the output, its caret put there by the keys.
        run.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&run));
        OutputView *view = run.output();
        view->setFocus();
        view->moveCursor(QTextCursor::Start);
        // Down to "prog.cpp:4:17: error", line 5 under the wrapped command.
        for (int i = 0; i < 20 && view->textCursor().blockNumber() < 5; ++i)
            key(Qt::Key_Down);
        key(Qt::Key_Return);
        int line = -1, index = -1;
        QTRY_VERIFY(m_window->isActiveWindow());
        editor()->getCursorPosition(&line, &index);
        QCOMPARE((std::pair{line, index}), (std::pair{3, 9}));

        // An edit above moves the marks; F8 follows the moved line.
        key(Qt::Key_Up);
        key(Qt::Key_End);
        key(Qt::Key_Return);
        key(Qt::Key_F8);
        editor()->getCursorPosition(&line, &index);
        QCOMPARE((std::pair{line, index}), (std::pair{5, 12}));

        // Shift+F8 from the run window goes back up, and on into the header
        // after the save question.
        run.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&run));
        key(Qt::Key_F8, Qt::ShiftModifier);
        QTRY_VERIFY(m_window->isActiveWindow());
        editor()->getCursorPosition(&line, &index);
        QCOMPARE((std::pair{line, index}), (std::pair{4, 9}));
        answerer.boxAnswer = QMessageBox::Yes;
        m_window->menuAction(QStringLiteral("mnuFileSaved"))->setChecked(false);
        key(Qt::Key_F8, Qt::ShiftModifier);
        QTRY_COMPARE(form().state.currFilename, QFileInfo(QStringLiteral("util.h")).absoluteFilePath());
        editor()->getCursorPosition(&line, &index);
        QCOMPARE((std::pair{line, index}), (std::pair{1, 11}));
        QVERIFY(editor()->markersAtLine(1) != 0);
        QVERIFY(readFile(source).contains("{\n\n\tint x = y;")); // saved at the question

        // Opening a file takes the marks away, and so does the next compile.
        const auto unmarked = [this] {
            for (int l = 0; l < editor()->lines(); ++l) {
                if (editor()->markersAtLine(l) != 0)
                    return false;
            }
            return true;
        };
        answerer.boxAnswer = QMessageBox::No;
        openGiven(QFileInfo(QStringLiteral("util.h")).absoluteFilePath());
        QVERIFY(unmarked());
        openGiven(source);
        form().compilerMessages.runEnded(); // as after the compile: its lines marked again
        QVERIFY(!unmarked());
        QFile(output).resize(0);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        editor()->setFocus();
        compile();
        QVERIFY(run.findChild<QLabel *>(QStringLiteral("lblVerdict"))->text().startsWith(QStringLiteral("Compilation successful")));
        QVERIFY(unmarked());
    }

    void editorComforts()
    {
        const QString path = writeFile(QStringLiteral("c.cpp"), QByteArray("x\n"));
        openGiven(path);
        key(Qt::Key_End, Qt::ControlModifier);
        type(QStringLiteral("\t  a"));
        key(Qt::Key_Return);
        type(QStringLiteral("b"));
        QCOMPARE(editor()->text(), QStringLiteral("x\r\n\t  a\r\n\t  b"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor()->text(), QStringLiteral("x\r\n\t  a\r\n\t  "));
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(editor()->text(), QStringLiteral("x\r\n\t  a\r\n\t  b"));
        const long zoom = editor()->SendScintilla(QsciScintillaBase::SCI_GETZOOM);
        m_window->menuAction(QStringLiteral("mnuZoomIn"))->trigger();
        QCOMPARE(editor()->SendScintilla(QsciScintillaBase::SCI_GETZOOM), zoom + 1);
        key(Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(editor()->SendScintilla(QsciScintillaBase::SCI_GETZOOM), 0L);
    }

    // The file open in KVN changed by another program while the user was in
    // another window: coming back asks. Reload puts the file's text in, and
    // Ctrl+Z brings the user's back; keep leaves the text as it is, unsaved,
    // and the same change is not asked about again, while the save still
    // asks before it replaces the newer file.
    void aFileChangedMeanwhileIsAskedAboutOnComingBack_data()
    {
        QTest::addColumn<bool>("reload");
        QTest::newRow("reload, then undo") << true;
        QTest::newRow("keep my text") << false;
    }

    void aFileChangedMeanwhileIsAskedAboutOnComingBack()
    {
        QFETCH(bool, reload);
        const QString title = QStringLiteral("File changed on disk");
        const QString path = writeFile(QStringLiteral("changing.cpp"), "int a;\n");
        openGiven(path);
        type(QStringLiteral("x"));
        const QString mine = editor()->text();
        QCOMPARE(mine, QStringLiteral("xint a;\r\n"));
        DialogAnswerer answers;
        answers.answerByTitle.insert(title, reload ? QMessageBox::Yes : QMessageBox::No);
        answers.boxAnswer = QMessageBox::Ok;

        leaveAndComeBack([&] { QVERIFY(writeByAnotherProcess(path, "int theirs;\n")); });
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE(answers.seen, QStringList{title});
        if (reload) {
            QCOMPARE(editor()->text(), QStringLiteral("int theirs;\r\n"));
            QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2"));
            QVERIFY(form().state.FileSaved);
            backFromTheBox();
            key(Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(editor()->text(), mine);
            QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2 #"));
            QVERIFY(!form().state.FileSaved);
            return;
        }
        QCOMPARE(editor()->text(), mine);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2 #"));

        // Away and back again: the change was answered.
        leaveAndComeBack([] {});
        settle();
        QCOMPARE(answers.seen, QStringList{title});

        // The save asks before it replaces the newer file; No leaves it.
        saveWithKeys();
        QTRY_COMPARE(answers.seen, (QStringList{title, title}));
        QCOMPARE(readFile(path), QByteArray("int theirs;\n"));
        QCOMPARE(editor()->text(), mine);
    }

    // While the question is showing, the user goes to another window and
    // comes back, and the file changes once more: no second question comes
    // over the first, and the newer change is asked about after it.
    void noQuestionComesOverTheQuestion()
    {
        const QString title = QStringLiteral("File changed on disk");
        const QString path = writeFile(QStringLiteral("twice.cpp"), "int a;\n");
        openGiven(path);
        DialogAnswerer answers;
        answers.boxAnswer = QMessageBox::No;
        bool wentAway = false, rewritten = false, activeUnderTheBox = false, boxStillOnTop = false;
        answers.beforeAnswer = [&](QWidget *box) {
            if (answers.seen.size() != 1)
                return;
            QWidget other;
            other.resize(200, 100);
            other.show();
            other.activateWindow();
            wentAway = QTest::qWaitForWindowActive(&other);
            rewritten = writeByAnotherProcess(path, "int again_and_longer;\n");
            QApplication::setActiveWindow(m_window.get());
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
            activeUnderTheBox = m_window->isActiveWindow();
            boxStillOnTop = QApplication::activeModalWidget() == box;
        };
        leaveAndComeBack([&] { QVERIFY(writeByAnotherProcess(path, "int theirs;\n")); });
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE(answers.seen, QStringList{title});
        QVERIFY(wentAway && rewritten);
        QVERIFY(activeUnderTheBox); // the window was active again under the box
        QVERIFY(boxStillOnTop);
        leaveAndComeBack([] {});
        QTRY_COMPARE(answers.seen, (QStringList{title, title}));
    }

    // A file removed meanwhile is told of; the text stays, unsaved, and is
    // not replaced by nothing.
    void aFileRemovedMeanwhileIsToldOfOnComingBack()
    {
        const QString path = writeFile(QStringLiteral("going.cpp"), "int a;\n");
        openGiven(path);
        DialogAnswerer answers;
        answers.boxAnswer = QMessageBox::Ok;
        leaveAndComeBack([&] { QVERIFY(QFile::remove(path)); });
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE(answers.seen, QStringList{QStringLiteral("File changed on disk")});
        QCOMPARE(editor()->text(), QStringLiteral("int a;\r\n"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2 #"));
        backFromTheBox();
        saveWithKeys();
        QCOMPARE(readFile(path), QByteArray("int a;\n"));
    }

    // A compile whose save stops because the user keeps the newer file on
    // disk says that nothing was compiled, and runs nothing.
    void aCompileStoppedAtAChangedFileSaysSo()
    {
        const QString path = writeFile(QStringLiteral("compiled.cpp"), "int main() { return 0; }\n");
        openGiven(path);
        type(QStringLiteral("x"));
        // Changed while KVN's window stays the active one: only the save sees it.
        QVERIFY(writeByAnotherProcess(path, "int main() { return 1; }\n"));
        DialogAnswerer answers;
        answers.answerByTitle.insert(Document::savePromptText(), QMessageBox::Yes);
        answers.answerByTitle.insert(QStringLiteral("File changed on disk"), QMessageBox::No);
        answers.boxAnswer = QMessageBox::Ok;
        key(Qt::Key_F9, Qt::ControlModifier);
        QTRY_COMPARE(answers.seen, (QStringList{Document::savePromptText(), QStringLiteral("File changed on disk"),
                                                QStringLiteral("Compile cancelled")}));
        QVERIFY(!m_window->runWindow().isVisible());
        QCOMPARE(readFile(path), QByteArray("int main() { return 1; }\n"));
    }
};

QTEST_MAIN(TestMainWindowInput)
#include "tst_mainwindowinput.moc"
