#include "app/maincatalogue.h"
#include "app/widgets/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QListWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <Qsci/qsciscintilla.h>

// The window's wiring: controls and menu items carry their names, shortcuts
// reach their handlers and a resize lays the controls out.
class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_workDir;
    std::unique_ptr<MainWindow> m_window;

    template<typename T>
    T *find(const QString &name, int index = -1)
    {
        for (T *w : m_window->findChildren<T *>(name)) {
            if (index < 0 || w->property("index").toInt() == index)
                return w;
        }
        return nullptr;
    }

    QsciScintilla *editor() { return find<QsciScintilla>(QStringLiteral("Text1")); }
    QLabel *label(const char *name) { return find<QLabel>(QString::fromUtf8(name)); }

    // Answers the next modal message box with the given button.
    static void answerNextBox(QMessageBox::StandardButton button)
    {
        QTimer::singleShot(0, [button] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->button(button)->click();
        });
    }

    // Answers the first message box that comes up, however many other
    // dialogs come first.
    void answerBoxWhenShown(QMessageBox::StandardButton button)
    {
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, poll, [poll, button] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                box->button(button)->click();
                poll->deleteLater();
            }
        });
        poll->start(20);
    }

    // Types the answer into the next input prompt and presses OK.
    static void typeIntoNextPrompt(const QString &answer)
    {
        QTimer::singleShot(0, [answer] {
            if (auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
                dialog->setTextValue(answer);
                dialog->accept();
            }
        });
    }

private slots:
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
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void everyCatalogueControlIsThere()
    {
        for (const ControlSpec &entry : MainCatalogue::controls()) {
            QWidget *w = find<QWidget>(entry.name, entry.index);
            QVERIFY2(w, qPrintable(entry.key()));
            QCOMPARE(w->toolTip(), entry.toolTip);
        }
        QCOMPARE(find<QPushButton>(QStringLiteral("cmdCompile"))->text(), QStringLiteral("Start Compiling! (&D)"));
        QVERIFY(find<QPushButton>(QStringLiteral("cmdCompile"))->font().bold());
        QVERIFY(find<QPushButton>(QStringLiteral("cmdLocate"), 1)->font().bold());
        QVERIFY(!find<QPushButton>(QStringLiteral("cmdLocate"), 0)->font().bold());
        QVERIFY(!find<QLineEdit>(QStringLiteral("txtReplace"))->isEnabled());
        QCOMPARE(find<QLineEdit>(QStringLiteral("txtGotoLine"))->text(), QStringLiteral("1"));
    }

    void everyMenuItemIsThere()
    {
        for (const MenuSpec &entry : MainCatalogue::menus()) {
            QAction *action = m_window->menuAction(entry.key());
            QVERIFY2(action, qPrintable(entry.key()));
            QCOMPARE(action->objectName(), entry.name);
            QCOMPARE(action->text(), entry.caption);
            QCOMPARE(action->shortcut(), QKeySequence(entry.shortcut));
        }
        QVERIFY(m_window->menuAction(QStringLiteral("mnuFileSaved"))->isChecked());
        QVERIFY(!m_window->menuAction(QStringLiteral("mnuDelete"))->isChecked());
        QVERIFY(!m_window->menuAction(QStringLiteral("mnuMain"))->menu());
        QVERIFY(m_window->menuAction(QStringLiteral("mnuKVN"))->menu());
    }

    void startsWithTheTemplate()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2"));
        QCOMPARE(label("lblFilename")->text(), QStringLiteral("(unsaved)"));
        QCOMPARE(label("lblLine")->text(), QStringLiteral("Current line: 7 out of 12 line(s)"));
        QCOMPARE(editor()->lines(), 12);
        int line = 0, index = 0;
        editor()->getCursorPosition(&line, &index);
        QCOMPARE(line, 6);
        QCOMPARE(index, 1);
        QVERIFY(find<QGroupBox>(QStringLiteral("fraMain"), 0)->isVisible());
        QVERIFY(!find<QGroupBox>(QStringLiteral("fraMain"), 1)->isVisible());
        QCOMPARE(m_window->frame().outerSize(), MainCatalogue::minimumSize);
        QCOMPARE(editor()->geometry(), QRect(8, 40, 417, 273));
    }

    void typingMarksUnsavedAndFollowsTheCaret()
    {
        QTest::keyClicks(editor(), QStringLiteral("x"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2 #"));
        QCOMPARE(label("lblFilename")->palette().color(QPalette::Window), QColor(Qt::red));
        QTest::keyClick(editor(), Qt::Key_Down);
        QCOMPARE(label("lblLine")->text(), QStringLiteral("Current line: 8 out of 12 line(s)"));
        QTest::keyClick(editor(), Qt::Key_Return);
        QCOMPARE(label("lblLine")->text(), QStringLiteral("Current line: 9 out of 13 line(s)"));
    }

    void editsAfterASaveMarkTheDocumentAgain()
    {
        QFile file(QDir::current().filePath(QStringLiteral("saved.c")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("int a;\n");
        file.close();
        QString path = file.fileName();
        MainForm &form = m_window->form();
        QVERIFY(form.document.OpenSourceFile(Document::OpenMode::LoadGiven, path, {}));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2"));
        m_window->menuAction(QStringLiteral("mnuFileSaved"))->setChecked(false);
        for (int round = 0; round < 3; ++round) {
            QTest::keyClicks(editor(), QStringLiteral("x"));
            QCoreApplication::processEvents();
            QVERIFY2(!form.state.FileSaved, qPrintable(QString::number(round)));
            QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2 #"));
            form.document.mnuSave_Click();
            QVERIFY(form.state.FileSaved);
            QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2"));
        }
        // An undo right after a save is a change too.
        QTest::keyClick(editor(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!form.state.FileSaved);
    }

    void ctrlYCutsTheLine()
    {
        QTest::keyClick(editor(), Qt::Key_Down); // line 8: the system("pause") line
        QTest::keyClick(editor(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\tsystem(\"pause\"); "));
        QCOMPARE(editor()->lines(), 12);
        QCOMPARE(editor()->text(7), QStringLiteral("\r\n"));
    }

    void goToLineOnEnter()
    {
        auto *box = find<QLineEdit>(QStringLiteral("txtGotoLine"));
        box->setFocus();
        box->setText(QStringLiteral("3"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(label("lblLine")->text(), QStringLiteral("Current line: 3 (out of 12 lines)"));
        QVERIFY(editor()->hasFocus());
    }

    void menuBarCommandsSwitchPanels()
    {
        m_window->menuAction(QStringLiteral("mnuCompile"))->trigger();
        QVERIFY(find<QGroupBox>(QStringLiteral("fraMain"), 1)->isVisible());
        QVERIFY(!find<QGroupBox>(QStringLiteral("fraMain"), 0)->isVisible());
        // Keys typed now go to the option list, not to the hidden editor.
        QTRY_VERIFY(find<QWidget>(QStringLiteral("List1"))->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Korvane (KVN) 2.2"));
        m_window->menuAction(QStringLiteral("mnuSpace1"))->trigger();
        QVERIFY(find<QGroupBox>(QStringLiteral("fraMain"), 1)->isVisible());
        m_window->menuAction(QStringLiteral("mnuMain"))->trigger();
        QVERIFY(find<QGroupBox>(QStringLiteral("fraMain"), 0)->isVisible());
    }

    void resizeAppliesTheLayout()
    {
        m_window->frame().setOuterSize({8010, 9000});
        QTRY_COMPARE(m_window->frame().outerSize(), (TwipSize{8010, 9000}));
        QCOMPARE(find<QPushButton>(QStringLiteral("cmdFindNext"))->x(), Twips::toPixels(8010 - 780));
        QCOMPARE(editor()->height(), Twips::toPixels(9000 - 2385));
        // Smaller than the minimum is refused.
        m_window->resize(100, 100);
        QVERIFY(m_window->frame().outerSize().width >= 6660);
        QVERIFY(m_window->frame().outerSize().height >= 6480);
    }

    void ctrlTExitsAfterAsking()
    {
        QTest::keyClicks(editor(), QStringLiteral("x"));
        answerNextBox(QMessageBox::Cancel);
        QTest::keyClick(editor(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(m_window->isVisible());
        QVERIFY(editor()->text().contains(QLatin1Char('x')));

        QFile results(QDir::current().filePath(QStringLiteral("results.txt")));
        QVERIFY(results.open(QIODevice::WriteOnly));
        results.close();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        answerNextBox(QMessageBox::No);
        QTest::keyClick(editor(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(!m_window->isVisible());
        QVERIFY(!results.exists());
    }

    void droppedFileOpensAndOtherDataIsIgnored()
    {
        QFile file(QDir::current().filePath(QStringLiteral("dropped.c")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("int dropped;\n");
        file.close();

        const auto drop = [this](QMimeData *data) {
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(editor()->viewport(), &enter);
            QDropEvent event(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(editor()->viewport(), &event);
            return event.isAccepted();
        };
        QMimeData text;
        text.setText(QStringLiteral("not a file"));
        QVERIFY(!drop(&text));
        QCOMPARE(editor()->lines(), 12);

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(file.fileName()), QUrl::fromLocalFile(QStringLiteral("/nonexistent.c"))});
        QVERIFY(drop(&files));
        QCOMPARE(editor()->text(), QStringLiteral("int dropped;\r\n"));
        QCOMPARE(label("lblFilename")->text(), file.fileName());
    }

    void optionListTicksFromTheKeyboardAndAsksForValues()
    {
        m_window->menuAction(QStringLiteral("mnuCompile"))->trigger();
        auto *list = find<QListWidget>(QStringLiteral("List1"));
        QCOMPARE(list->count(), 110);
        QTRY_VERIFY(list->hasFocus());
        list->setCurrentRow(9);
        typeIntoNextPrompt(QStringLiteral("/opt/lib"));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(list->item(9)->checkState(), Qt::Checked);
        QCOMPARE(m_window->form().compile.options.ticks[9], QStringLiteral("1"));
        QCOMPARE(m_window->form().compile.options.values[9], QStringLiteral("/opt/lib"));

        list->setCurrentRow(3);
        QTest::keyClick(list, Qt::Key_Space); // no value: no prompt to answer
        QCOMPARE(m_window->form().compile.options.ticks[3], QStringLiteral("1"));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(m_window->form().compile.options.ticks[3], QStringLiteral("0"));
    }

    void locationButtonsTakeDroppedFiles()
    {
        auto *button = find<QPushButton>(QStringLiteral("cmdLocate"), 2);
        QVERIFY(button->font().bold());
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/out.exe"))});
        answerNextBox(QMessageBox::Yes);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(button, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(button, &drop);
        QCOMPARE(m_window->form().compile.newpath, QStringLiteral("/tmp/out.exe"));
        QVERIFY(!button->font().bold());
    }

    void menuShortcutsReachTheirCommands()
    {
        // F7 asks for the font size; the answer reaches the editor.
        typeIntoNextPrompt(QStringLiteral("12.9"));
        answerBoxWhenShown(QMessageBox::Ok); // the settings file is new
        QTest::keyClick(editor(), Qt::Key_F7);
        QCOMPARE(m_window->form().TextBoxEx.textBox()->fontSize(), 12.0);
        // F6 switches the confirmation off, into the settings file.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(editor(), Qt::Key_F6);
        QVERIFY(!m_window->menuAction(QStringLiteral("mnuFileSaved"))->isChecked());
        QVERIFY(QFile::exists(QDir::current().filePath(QStringLiteral("kvn.txt"))));
        QFile::remove(QDir::current().filePath(QStringLiteral("kvn.txt")));
        // Ctrl+H ticks "& replace w/" and puts the keyboard in the search box.
        QTest::keyClick(editor(), Qt::Key_H, Qt::ControlModifier);
        QVERIFY(find<QCheckBox>(QStringLiteral("chkReplace"))->isChecked());
        QVERIFY(find<QLineEdit>(QStringLiteral("txtReplace"))->isEnabled());
        QTRY_VERIFY(find<QLineEdit>(QStringLiteral("txtSearch"))->hasFocus());
    }

    void f1OpensTheAboutWindowBesideTheMainWindow()
    {
        QTest::keyClick(editor(), Qt::Key_F1);
        QPointer<QWidget> about;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmAbout") && w->isVisible())
                about = w;
        }
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QStringLiteral("About Korvane (KVN)"));
        QVERIFY(about->findChild<QPlainTextEdit *>(QStringLiteral("Text1"))
                    ->toPlainText()
                    .startsWith(QStringLiteral("Thanks for using Korvane (KVN)!")));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("r_kvn.txt"))));
        QCOMPARE(m_window->frame().corner().left, 0);
        // Exit takes it away with the main window.
        QTest::keyClick(editor(), Qt::Key_T, Qt::ControlModifier);
        QVERIFY(!about || !about->isVisible());
    }

    void ctrlF8AsksToAssociate()
    {
        QString asked;
        QTimer::singleShot(0, [&asked] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                asked = box->windowTitle();
                box->button(QMessageBox::Cancel)->click();
            }
        });
        QTest::keyClick(editor(), Qt::Key_F8, Qt::ControlModifier);
        QCOMPARE(asked, QStringLiteral("Associate Profiles?"));
    }

    void windowManagerCloseIsRefused()
    {
        QVERIFY(!m_window->close());
        QVERIFY(m_window->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
