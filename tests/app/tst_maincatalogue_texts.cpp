#include "app/widgets/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

// What the user reads in the main window: every menu item's caption, access
// key and shortcut, and every control's caption and tool tip, held to a
// table written out by hand, so a changed text anywhere shows up here.
class TestMainCatalogueTexts : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_workDir;
    std::unique_ptr<MainWindow> m_window;

    // The items of a menu (or of the bar) as the user sees them, without
    // separators.
    static QList<QAction *> items(const QWidget *menu)
    {
        QList<QAction *> result;
        for (QAction *a : menu->actions()) {
            if (!a->isSeparator())
                result.append(a);
        }
        return result;
    }

    // The menu reached by clicking the captions of path, from the bar down.
    QWidget *menuAt(const QStringList &path) const
    {
        QWidget *menu = m_window->menuBar();
        for (const QString &caption : path) {
            QMenu *next = nullptr;
            for (QAction *a : items(menu)) {
                if (a->text() == caption && a->menu())
                    next = a->menu();
            }
            if (!next)
                return nullptr;
            menu = next;
        }
        return menu;
    }

    // The window's action of that name; index picks a member of an array.
    QAction *actionNamed(const QString &name, int index) const
    {
        for (QAction *a : m_window->findChildren<QAction *>(name)) {
            if (index < 0 || a->property("index").toInt() == index)
                return a;
        }
        return nullptr;
    }

    QWidget *controlNamed(const QString &name, int index) const
    {
        for (QWidget *w : m_window->findChildren<QWidget *>(name)) {
            if (index < 0 || w->property("index").toInt() == index)
                return w;
        }
        return nullptr;
    }

    static QString caption(const QWidget *w)
    {
        if (auto *label = qobject_cast<const QLabel *>(w))
            return label->text();
        if (auto *button = qobject_cast<const QAbstractButton *>(w))
            return button->text();
        if (auto *frame = qobject_cast<const QGroupBox *>(w))
            return frame->title();
        return QStringLiteral("<control without a caption>");
    }

    // A row of the menu table: where the item sits (the captions leading to
    // its menu and its place there), its name, and what it shows.
    static void menuRow(const QStringList &path, int position, const QString &name, int index, const QString &caption,
                        const QString &shortcut)
    {
        const QString tag = (path + QStringList{name.isEmpty() ? caption : name}).join(QStringLiteral(" > "))
                            + (index >= 0 ? QStringLiteral("(%1)").arg(index) : QString());
        QTest::newRow(qPrintable(tag)) << path << position << name << index << caption << shortcut;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_workDir.isValid());
        QDir::setCurrent(m_workDir.path());
        m_window = std::make_unique<MainWindow>(QString());
    }

    void cleanupTestCase() { m_window.reset(); }

    void menuItemsShowTheirTexts_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<int>("position"); // among the menu's items, separators not counted
        QTest::addColumn<QString>("name"); // empty where no document names the item
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");

        const QString spaces = QStringLiteral("     ");
        const QStringList bar;
        const QStringList win{QStringLiteral("&Window")};
        const QStringList file{QStringLiteral("&File")};
        const QStringList fileCompile{QStringLiteral("&File"), QStringLiteral("&Compile")};
        const QStringList edit{QStringLiteral("&Edit")};
        const QStringList search{QStringLiteral("&Search")};
        const QStringList options{QStringLiteral("&Options")};
        const QStringList optionsCompile{QStringLiteral("&Options"), QStringLiteral("&Compile")};
        const QStringList optionsKvn{QStringLiteral("&Options"), QStringLiteral("&KVN")};
        const auto s = [](const char *text) { return QString::fromUtf8(text); };

        menuRow(bar, 0, s("mnuWin"), -1, s("&Window"), {});
        menuRow(bar, 1, s("mnuSpace1"), -1, spaces, {});
        menuRow(bar, 2, s("mnuKVN"), -1, s("&File"), {});
        menuRow(bar, 3, {}, -1, s("&Edit"), {});
        menuRow(bar, 4, s("mnuS"), -1, s("&Search"), {});
        menuRow(bar, 5, s("mnuSettings"), -1, s("&Options"), {});
        menuRow(bar, 6, s("mnuSpace2"), -1, spaces, {});
        menuRow(bar, 7, s("mnuMain"), -1, s("&Main"), {});
        menuRow(bar, 8, s("mnuCompile"), -1, s("&Compile"), {});

        menuRow(win, 0, s("mnuMin"), -1, s("&Minimize"), s("Ctrl+M"));
        menuRow(win, 1, s("mnuMax"), -1, s("Maximiz&e"), s("Ctrl+E"));
        menuRow(win, 2, s("mnuRestore"), -1, s("&Restore"), s("Ctrl+R"));
        menuRow(win, 3, s("mnuExit"), -1, s("&Exit"), s("Ctrl+T"));
        menuRow(win, 4, s("mnuOutput"), -1, s("Show Compiler Output"), s("Shift+F1"));
        menuRow(win, 5, s("mnuAbout"), -1, s("Help"), s("F1"));

        menuRow(file, 0, s("mnuNew"), -1, s("&New"), s("Ctrl+N"));
        menuRow(file, 1, s("mnuOpen"), -1, s("&Open"), s("Ctrl+O"));
        menuRow(file, 2, s("mnuSave"), -1, s("&Save"), s("Ctrl+S"));
        menuRow(file, 3, s("mnuSaveAs"), -1, s("Save &As"), s("F12"));
        menuRow(file, 4, s("mnuPrint"), -1, s("&Print"), s("Ctrl+P"));
        menuRow(file, 5, s("mnuCompileA"), -1, s("&Compile"), {});
        menuRow(file, 6, s("mnuRun"), -1, s("Run"), s("Shift+F5"));
        menuRow(fileCompile, 0, s("mnuCompile1"), -1, s("Borland C++ Shortcut"), s("Ctrl+F9"));
        menuRow(fileCompile, 1, s("mnuCompile2"), -1, s("Visual C++ Shortcut"), s("Ctrl+F5"));

        menuRow(edit, 0, {}, -1, s("&Undo"), s("Ctrl+Z"));
        menuRow(edit, 1, {}, -1, s("&Redo"), s("Ctrl+Shift+Z"));
        menuRow(edit, 2, {}, -1, s("Cu&t"), s("Ctrl+X"));
        menuRow(edit, 3, {}, -1, s("&Copy"), s("Ctrl+C"));
        menuRow(edit, 4, {}, -1, s("&Paste"), s("Ctrl+V"));
        menuRow(edit, 5, {}, -1, s("Select &All"), s("Ctrl+A"));
        menuRow(edit, 6, {}, -1, s("Cut &Line"), s("Ctrl+Y"));
        menuRow(edit, 7, {}, -1, s("Zoom &In"), s("Ctrl++"));
        menuRow(edit, 8, {}, -1, s("Zoom &Out"), s("Ctrl+-"));
        menuRow(edit, 9, {}, -1, s("&Normal Size"), s("Ctrl+0"));

        menuRow(search, 0, s("mnuSearch"), -1, s("&Search"), s("Ctrl+F"));
        menuRow(search, 1, s("mnuReplace"), -1, s("&Replace"), s("Ctrl+H"));
        menuRow(search, 2, s("mnuNextDiag"), -1, s("&Next Diagnostic"), s("F8"));
        menuRow(search, 3, s("mnuPrevDiag"), -1, s("&Previous Diagnostic"), s("Shift+F8"));

        menuRow(options, 0, s("mnuCompileOptions"), -1, s("&Compile"), {});
        menuRow(options, 1, s("mnuKvnOptions"), -1, s("&KVN"), {});
        menuRow(optionsCompile, 0, s("mnuCompileOpt"), 0, s("&Compiler Location"), s("F2"));
        menuRow(optionsCompile, 1, s("mnuCompileOpt"), 1, s("&Source File Location"), s("F3"));
        menuRow(optionsCompile, 2, s("mnuCompileOpt"), 2, s("&Output File Location"), s("F4"));
        menuRow(optionsCompile, 3, s("mnuCompileOpt"), 3, s("&Compiler Configuration/Response File"), s("F5"));
        menuRow(optionsKvn, 0, s("mnuFileSaved"), -1, s("'File Saved' &Confirmation Dialog Box"), s("F6"));
        menuRow(optionsKvn, 1, s("mnuDelete"), -1, s("&Delete *.tds && *.obj files Dialog Box"), s("Shift+F6"));
        menuRow(optionsKvn, 2, s("mnuFont"), 8, s("Change &Font Size"), s("F7"));
        menuRow(optionsKvn, 3, s("mnuColor"), -1, s("Change File Saved Color &Indication"), s("Shift+F7"));
        menuRow(optionsKvn, 4, s("mnuAssExt"), -1, s("&Associate Extensions"), s("Ctrl+F8"));
    }

    void menuItemsShowTheirTexts()
    {
        QFETCH(QStringList, path);
        QFETCH(int, position);
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, caption);
        QFETCH(QString, shortcut);

        const QWidget *menu = menuAt(path);
        QVERIFY2(menu, qPrintable(QStringLiteral("no menu ") + path.join(QStringLiteral(" > "))));
        const QList<QAction *> inMenu = items(menu);
        QVERIFY2(position < inMenu.size(), qPrintable(QStringLiteral("the menu has %1 items").arg(inMenu.size())));
        QAction *action = inMenu.at(position);
        if (!name.isEmpty()) {
            QAction *named = actionNamed(name, index);
            QVERIFY2(named, qPrintable(QStringLiteral("no item named ") + name));
            QVERIFY2(named == action, qPrintable(QStringLiteral("%1 is not item %2 of its menu, \"%3\" is")
                                                     .arg(name).arg(position).arg(action->text())));
        }
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), shortcut);
    }

    // The table above is the whole menu tree: no menu holds an item beyond it.
    void menusHoldNothingElse_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<int>("count");
        const auto row = [](const char *tag, const QStringList &path, int count) { QTest::newRow(tag) << path << count; };
        const auto s = [](const char *text) { return QString::fromUtf8(text); };
        row("menu bar", {}, 9);
        row("Window", {s("&Window")}, 6);
        row("File", {s("&File")}, 7);
        row("File > Compile", {s("&File"), s("&Compile")}, 2);
        row("Edit", {s("&Edit")}, 10);
        row("Search", {s("&Search")}, 4);
        row("Options", {s("&Options")}, 2);
        row("Options > Compile", {s("&Options"), s("&Compile")}, 4);
        row("Options > KVN", {s("&Options"), s("&KVN")}, 5);
    }

    void menusHoldNothingElse()
    {
        QFETCH(QStringList, path);
        QFETCH(int, count);
        const QWidget *menu = menuAt(path);
        QVERIFY(menu);
        QStringList captions;
        for (const QAction *a : items(menu))
            captions.append(a->text());
        QVERIFY2(captions.size() == count, qPrintable(captions.join(QStringLiteral(" | "))));
    }

    void controlsShowTheirTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("hasCaption"); // text boxes, lists and the status line have none to check
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("toolTip");

        const auto row = [](const char *name, int index, const char *caption, const char *toolTip) {
            const QString tag = QString::fromUtf8(name) + (index >= 0 ? QStringLiteral("(%1)").arg(index) : QString());
            QTest::newRow(qPrintable(tag)) << QString::fromUtf8(name) << index << (caption != nullptr)
                                           << QString::fromUtf8(caption) << QString::fromUtf8(toolTip);
        };
        const char *none = nullptr;

        row("fraMain", 0, "Main", "");
        row("fraMain", 1, "Compile", "");

        row("lblFilename", -1, "(unsaved)", "Current File Opened");
        row("Text1", -1, none, "");
        row("Frame1", -1, "", "");
        row("lblSearch", -1, "Search", "Double-click to restart search position to top");
        row("txtSearch", -1, none, "");
        row("chkReplace", -1, "&& replace w/", "Double-click here to replace text");
        row("txtReplace", -1, none, "");
        row("cmdPrev", -1, "<", "");
        row("cmdReplace", -1, "Replace", "");
        row("cmdNext", -1, ">", "");
        row("lblGoto", -1, "Go to line", "");
        row("txtGotoLine", -1, none, "Press <ENTER> to go to line");
        row("lblLine", -1, none, "");

        row("List1", -1, none, "");
        row("Command1", -1, "&Edit value", "");
        row("cmdLocate", 0, "Compiler location", "Specify compiler location *REQUIRED*");
        row("cmdFindPrev", -1, "<", "");
        row("cmdFind", -1, "Find", "");
        row("cmdFindNext", -1, ">", "");
        row("cmdClrEntry", 1, "Clear entry", "");
        row("cmdLocate", 1, "Source file location", "If bold, no file is specified.");
        row("cmdClrEntry", 2, "Clear entry", "");
        row("cmdLocate", 2, "Output file location", "If bold, no file is specified.");
        row("cmdClrEntry", 3, "Clear entry", "");
        row("cmdLocate", 3, "Configuration/Response file location", "If bold, no file is specified.");
        row("cmdCompile", -1, "Start Compiling! (&D)", "");
    }

    void controlsShowTheirTexts()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(bool, hasCaption);
        QFETCH(QString, caption);
        QFETCH(QString, toolTip);

        const QWidget *w = controlNamed(name, index);
        QVERIFY2(w, qPrintable(QStringLiteral("no control named ") + name));
        if (hasCaption)
            QCOMPARE(TestMainCatalogueTexts::caption(w), caption);
        QCOMPARE(w->toolTip(), toolTip);
    }
};

QTEST_MAIN(TestMainCatalogueTexts)
#include "tst_maincatalogue_texts.moc"
