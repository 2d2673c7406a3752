#include "mainwindow.h"

#include "app/maincatalogue.h"
#include "compile/optioncatalogue.h"
#include "platform/keys.h"
#include "platform/qt/editorwidget.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSessionManager>
#include <QStyle>

namespace {

KeyModifiers keyModifiers(Qt::KeyboardModifiers modifiers)
{
    KeyModifiers result;
    result.setFlag(KeyModifier::Shift, modifiers & Qt::ShiftModifier);
    result.setFlag(KeyModifier::Ctrl, modifiers & Qt::ControlModifier);
    result.setFlag(KeyModifier::Alt, modifiers & Qt::AltModifier);
    return result;
}

QString defaultCompilerPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/kvncc");
}

DesktopPlaces desktopPlaces()
{
    return DesktopPlaces::find(QCoreApplication::applicationFilePath(), QProcessEnvironment::systemEnvironment(),
                               [](const QString &path) { return QFileInfo::exists(path); });
}

} // namespace

MainWindow::MainWindow(const QString &commandLine, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_messages(this)
    , m_dialogs(this)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Korvane (KVN) 2.2"));
    QFont uiFont = QApplication::font();
    uiFont.setPointSize(8);
    setFont(uiFont);

    // The menus stay in the window, where its keys and access keys lead,
    // also on a desktop that offers a global menu bar. Asking the desktop
    // for one would also connect to the session bus while the window is
    // built, and where there is none, try to launch one first.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    buildMenus();
    buildControls();
    m_frame = std::make_unique<QtFormWindow>(this, m_client, MainCatalogue::frameAllowance,
                                             [this] { return menuBar()->sizeHint().height(); });
    m_frame->setControls(&m_controls);
    m_frame->onUnload([this] {
        m_unloading = true;
        m_runWindow->close();
        close();
        QCoreApplication::quit();
    });
    m_runWindow = std::make_unique<RunWindowWidget>();
    // A box about the compile stands over the run window, so that showing it
    // brings that window, not the editor, to the front.
    m_runMessages.setParent(m_runWindow.get());

    m_text1 = std::make_unique<ScintillaTextBox>(m_editor);
    m_lblFilename = std::make_unique<QtLabel>(widget<QLabel>("lblFilename"));
    m_lblLine = std::make_unique<QtLabel>(widget<QLabel>("lblLine"));
    m_txtGotoLine = std::make_unique<QtEntry>(widget<QLineEdit>("txtGotoLine"));
    m_txtSearch = std::make_unique<QtEntry>(widget<QLineEdit>("txtSearch"));
    m_txtReplace = std::make_unique<QtEntry>(widget<QLineEdit>("txtReplace"));
    m_chkReplace = std::make_unique<QtCheckBox>(widget<QCheckBox>("chkReplace"));
    m_cmdReplace = std::make_unique<QtButton>(widget<QPushButton>("cmdReplace"));
    for (int i = 0; i < 2; ++i)
        m_fraMain[size_t(i)] = std::make_unique<QtControl<QGroupBox>>(qobject_cast<QGroupBox *>(control(controlKey(QStringLiteral("fraMain"), i))));
    for (int i = 0; i < 4; ++i)
        m_cmdLocate[size_t(i)] = std::make_unique<QtButton>(qobject_cast<QPushButton *>(control(controlKey(QStringLiteral("cmdLocate"), i))));
    m_List1 = std::make_unique<QtCheckList>(widget<QListWidget>("List1"));
    m_mnuFileSaved = std::make_unique<QtMenuItem>(action("mnuFileSaved"));
    m_mnuDelete = std::make_unique<QtMenuItem>(action("mnuDelete"));

    MainControls controls{*m_frame, *m_text1, *m_lblFilename, *m_lblLine, *m_txtGotoLine,
                          *m_txtSearch, *m_txtReplace, *m_chkReplace, *m_cmdReplace,
                          {m_fraMain[0].get(), m_fraMain[1].get()},
                          {m_cmdLocate[0].get(), m_cmdLocate[1].get(), m_cmdLocate[2].get(), m_cmdLocate[3].get()},
                          *m_List1, *m_mnuFileSaved, *m_mnuDelete, m_timer1, m_runWindow->controls()};
    m_form = std::make_unique<MainForm>(
        MainServices{m_messages, m_files, m_clipboard, m_dialogs, m_process, m_terminal, m_printer,
                     defaultCompilerPath(), m_registry, m_folders, m_urls, desktopPlaces(), m_runMessages},
        controls);
    m_runWindow->connectTo(m_form->runWindow);
    m_form->help.makeViewsWith(&AboutWindowWidget::make);
    m_recovery = std::make_unique<Recovery>(
        m_form->state, *m_text1, m_form->caretStatus, m_form->document,
        Recovery::Services{m_stateFiles, m_messages, m_recoveryTimer, [] { return QDateTime::currentDateTimeUtc(); },
                           m_files, Recovery::newInstance()});
    m_form->setRecovery(m_recovery.get());
    m_signals.onSignal([this](int signal) {
        if (m_placement)
            m_placement->save();
        m_form->Form_Terminate();
        QtTerminationSignals::endBy(signal);
    });

    connectEvents();
    m_form->Form_Load(commandLine);

    m_frame->setOuterSize(MainCatalogue::minimumSize);
    const TwipSize minimum = MainCatalogue::minimumSize;
    const TwipSize frame = MainCatalogue::frameAllowance;
    setMinimumSize(Twips::toPixels(minimum.width - frame.width),
                   Twips::toPixels(minimum.height - frame.height) + menuBar()->sizeHint().height());
    centreOnScreen();
    m_editor->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QHash<QString, QMenu *> submenus;
    const QList<MenuSpec> &menus = MainCatalogue::menus();
    const auto hasChildren = [&menus](const QString &key) {
        return std::any_of(menus.begin(), menus.end(), [&key](const MenuSpec &m) { return m.parent == key; });
    };
    for (const MenuSpec &entry : menus) {
        QAction *action = nullptr;
        if (hasChildren(entry.key())) {
            QMenu *menu = entry.parent.isEmpty() ? menuBar()->addMenu(entry.caption)
                                                : submenus.value(entry.parent)->addMenu(entry.caption);
            menu->setObjectName(entry.name);
            submenus.insert(entry.key(), menu);
            action = menu->menuAction();
        } else if (entry.parent.isEmpty()) {
            // A bare item on the menu bar is a command of its own.
            action = menuBar()->addAction(entry.caption);
        } else {
            action = submenus.value(entry.parent)->addAction(entry.caption);
        }
        action->setObjectName(entry.name);
        if (entry.index >= 0)
            action->setProperty("index", entry.index);
        if (!entry.shortcut.isEmpty()) {
            action->setShortcut(QKeySequence(entry.shortcut, QKeySequence::PortableText));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        action->setCheckable(entry.checkable);
        action->setChecked(entry.checked);
        m_actions.insert(entry.key(), action);
    }
}

void MainWindow::buildControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);

    for (const ControlSpec &entry : MainCatalogue::controls()) {
        QWidget *parent = entry.parent.isEmpty() ? m_client : m_controls.value(entry.parent);
        QWidget *w = nullptr;
        switch (entry.kind) {
        case ControlKind::Frame:
            w = new QGroupBox(entry.caption, parent);
            break;
        case ControlKind::Label:
            w = new QLabel(entry.caption, parent);
            break;
        case ControlKind::Editor:
            m_editor = new EditorWidget(parent);
            w = m_editor;
            break;
        case ControlKind::Entry:
            w = new QLineEdit(entry.caption, parent);
            break;
        case ControlKind::CheckBox:
            w = new QCheckBox(entry.caption, parent);
            break;
        case ControlKind::Button: {
            // The location buttons take files dropped from a file manager.
            auto *button = entry.name == QLatin1String("cmdLocate") ? new DropButton(entry.caption, parent)
                                                                    : new QPushButton(entry.caption, parent);
            button->setAutoDefault(false);
            if (entry.name == QLatin1String("cmdCompile"))
                button->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
            w = button;
            break;
        }
        case ControlKind::CheckList: {
            auto *list = new CheckListWidget(parent);
            list->addCheckItems(OptionCatalogue::items());
            w = list;
            break;
        }
        }
        w->setObjectName(entry.name);
        if (entry.index >= 0)
            w->setProperty("index", entry.index);
        if (!entry.toolTip.isEmpty())
            w->setToolTip(entry.toolTip);
        if (entry.bold) {
            QFont font = w->font();
            font.setWeight(QFont::Bold);
            w->setFont(font);
        }
        w->setEnabled(entry.enabled);
        w->setGeometry(QtFormWindow::toPixels(entry.geometry));
        m_controls.insert(entry.key(), w);
    }
    // Every shortcut of the menus reaches the window, not the editor, and
    // reaches it from every other box too, but for the editing keys an entry
    // answers itself.
    QList<QKeySequence> shortcuts;
    static const QStringList boxEditing = {QStringLiteral("mnuUndo"), QStringLiteral("mnuRedo"),
                                           QStringLiteral("mnuCut"), QStringLiteral("mnuCopy"),
                                           QStringLiteral("mnuPaste"), QStringLiteral("mnuSelectAll")};
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        shortcuts.append(it.value()->shortcut());
        if (!it.value()->shortcut().isEmpty() && !boxEditing.contains(it.key()))
            m_windowCommandKeys.insert(it.value()->shortcut());
    }
    m_editor->releaseKeys(shortcuts);
    for (QWidget *w : std::as_const(m_controls)) {
        if (w != m_editor)
            w->installEventFilter(this);
    }
}

void MainWindow::connectEvents()
{
    MainForm &form = *m_form;
    connect(m_editor, &EditorWidget::edited, this, [&form] { form.caretStatus.Text1_Change(); });
    connect(m_editor, &EditorWidget::edited, this, [this] { m_recovery->edited(); });
    connect(m_editor, &EditorWidget::keyDown, this, [&form](int key, Qt::KeyboardModifiers modifiers) {
        form.caretStatus.Text1_KeyDown();
        form.TextBoxEx.mtxtBox_KeyDown(key, keyModifiers(modifiers));
    });
    connect(m_editor, &EditorWidget::keyUp, this, [&form] { form.caretStatus.Text1_KeyUp(); });
    connect(m_editor, &EditorWidget::mouseDown, this, [&form] { form.caretStatus.Text1_MouseDown(); });
    connect(m_editor, &EditorWidget::filesDropped, this,
            [&form](const QStringList &files) { form.document.Text1_OLEDragDrop(files); });
    connect(widget<QLineEdit>("txtGotoLine"), &QLineEdit::returnPressed, this,
            [&form] { form.caretStatus.txtGotoLine_KeyPress(Keys::Enter); });

    const auto onMenu = [this](const char *key, auto handler) {
        connect(action(key), &QAction::triggered, this, handler);
    };
    onMenu("mnuNew", [&form] { form.document.mnuNew_Click(); });
    onMenu("mnuOpen", [&form] { form.document.mnuOpen_Click(); });
    onMenu("mnuSave", [&form] { form.document.mnuSave_Click(); });
    onMenu("mnuSaveAs", [&form] { form.document.mnuSaveAs_Click(); });
    onMenu("mnuMain", [&form] { form.mnuMain_Click(); });
    onMenu("mnuCompile", [&form] { form.mnuCompile_Click(); });
    onMenu("mnuMin", [&form] { form.mnuMin_Click(); });
    onMenu("mnuMax", [&form] { form.mnuMax_Click(); });
    onMenu("mnuRestore", [&form] { form.mnuRestore_Click(); });
    onMenu("mnuExit", [&form] { form.mnuExit_Click(); });
    onMenu("mnuCompile1", [&form] { form.compileRequest.mnuCompile1_Click(); });
    onMenu("mnuCompile2", [&form] { form.compileRequest.mnuCompile2_Click(); });
    onMenu("mnuOutput", [&form] { form.compileRequest.mnuOutput_Click(); });
    onMenu("mnuRun", [&form] { form.mnuRun_Click(); });
    onMenu("mnuAssExt", [&form] { form.mnuAssExt_Click(); });
    onMenu("mnuAbout", [&form] { form.mnuAbout_Click(); });
    onMenu("mnuSearch", [&form] { form.mnuSearch_Click(); });
    onMenu("mnuReplace", [&form] { form.mnuReplace_Click(); });
    onMenu("mnuNextDiag", [&form] { form.compilerMessages.mnuNextDiag_Click(); });
    onMenu("mnuPrevDiag", [&form] { form.compilerMessages.mnuPrevDiag_Click(); });
    // The run window answers the same keys.
    m_runWindow->addActions({action("mnuNextDiag"), action("mnuPrevDiag")});
    connect(m_runWindow->output(), &OutputView::lineActivated, this,
            [&form](int line) { form.compilerMessages.outputLineActivated(line); });
    onMenu("mnuPrint", [&form] { form.printJob.mnuPrint_Click(); });
    onMenu("mnuFont(8)", [&form] { form.preferences.mnuFont_Click(); });
    onMenu("mnuUndo", [this] { editCommand([](QLineEdit *l) { l->undo(); }, [](EditorWidget *e) { e->undo(); }); });
    onMenu("mnuRedo", [this] { editCommand([](QLineEdit *l) { l->redo(); }, [](EditorWidget *e) { e->redo(); }); });
    onMenu("mnuCut", [this] { editCommand([](QLineEdit *l) { l->cut(); }, [](EditorWidget *e) { e->cut(); }); });
    onMenu("mnuCopy", [this] { editCommand([](QLineEdit *l) { l->copy(); }, [](EditorWidget *e) { e->copy(); }); });
    onMenu("mnuPaste", [this] { editCommand([](QLineEdit *l) { l->paste(); }, [](EditorWidget *e) { e->paste(); }); });
    onMenu("mnuSelectAll", [this, &form] {
        editCommand([](QLineEdit *l) { l->selectAll(); }, [&form](EditorWidget *) { form.TextBoxEx.selectAll(); });
    });
    onMenu("mnuCutLine", [this, &form] {
        if (!m_editor->isVisible())
            return;
        form.TextBoxEx.cutLine();
        m_editor->settleChange();
    });
    onMenu("mnuZoomIn", [this] { m_editor->zoomIn(); });
    onMenu("mnuZoomOut", [this] { m_editor->zoomOut(); });
    onMenu("mnuZoomReset", [this] { m_editor->zoomTo(0); });
    onMenu("mnuColor", [&form] { form.preferences.mnuColor_Click(); });
    // Qt ticks a checkable item before it reports the click; the handlers
    // decide the tick themselves, so Qt's is taken back first.
    connect(action("mnuFileSaved"), &QAction::triggered, this, [this, &form](bool checked) {
        action("mnuFileSaved")->setChecked(!checked);
        form.preferences.mnuFileSaved_Click();
    });
    connect(action("mnuDelete"), &QAction::triggered, this, [this, &form](bool checked) {
        action("mnuDelete")->setChecked(!checked);
        form.preferences.mnuDelete_Click();
    });

    auto *list = widget<CheckListWidget>("List1");
    connect(list, &QListWidget::itemChanged, this,
            [&form, list](QListWidgetItem *item) { form.optionList.List1_ItemCheck(list->row(item)); });
    connect(list, &CheckListWidget::itemClickedOrKeyed, this, [&form] { form.optionList.List1_Click(); });
    const auto onClick = [this](const char *key, auto handler) {
        connect(widget<QPushButton>(key), &QPushButton::clicked, this, handler);
    };
    onClick("Command1", [&form] { form.optionList.Command1_Click(); });
    onClick("cmdNext", [&form] { form.textSearch.cmdNext_Click(); });
    onClick("cmdPrev", [&form] { form.textSearch.cmdPrev_Click(); });
    onClick("cmdReplace", [&form] { form.textSearch.cmdReplace_Click(); });
    connect(widget<QCheckBox>("chkReplace"), &QCheckBox::clicked, this, [&form] { form.textSearch.chkReplace_Click(); });
    connect(widget<QLineEdit>("txtSearch"), &QLineEdit::textChanged, this, [&form] { form.textSearch.txtSearch_Change(); });
    connect(widget<QLineEdit>("txtSearch"), &QLineEdit::returnPressed, this,
            [&form] { form.textSearch.txtSearch_KeyPress(Keys::Enter); });
    connect(widget<QLineEdit>("txtReplace"), &QLineEdit::returnPressed, this,
            [&form] { form.textSearch.txtReplace_KeyPress(Keys::Enter); });
    onClick("cmdCompile", [&form] { form.compileRequest.cmdCompile_Click(); });
    onClick("cmdFind", [&form] { form.optionList.cmdFind_Click(); });
    onClick("cmdFindNext", [&form] { form.optionList.cmdFindNext_Click(); });
    onClick("cmdFindPrev", [&form] { form.optionList.cmdFindPrev_Click(); });
    for (int i = 0; i < 4; ++i) {
        auto *button = qobject_cast<DropButton *>(control(controlKey(QStringLiteral("cmdLocate"), i)));
        connect(button, &QPushButton::clicked, this, [&form, i] { form.locations.cmdLocate_Click(i); });
        connect(button, &DropButton::filesDropped, this,
                [&form, i](const QStringList &files) { form.locations.cmdLocate_OLEDragDrop(i, files); });
        connect(menuAction(controlKey(QStringLiteral("mnuCompileOpt"), i)), &QAction::triggered, this,
                [&form, i] { form.locations.mnuCompileOpt_Click(i); });
        if (i > 0) {
            auto *clear = qobject_cast<QPushButton *>(control(controlKey(QStringLiteral("cmdClrEntry"), i)));
            connect(clear, &QPushButton::clicked, this, [&form, i] { form.locations.cmdClrEntry_Click(i); });
        }
    }

    connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::commitData);
}

void MainWindow::editCommand(const std::function<void(QLineEdit *)> &onEntry,
                             const std::function<void(EditorWidget *)> &onEditor)
{
    // The command works on the entry that has the keyboard, else on the
    // editor while the Main panel shows it; the hidden editor is left alone.
    auto *entry = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (entry && isAncestorOf(entry)) {
        onEntry(entry);
        return;
    }
    if (!m_editor->isVisible())
        return;
    onEditor(m_editor);
    m_editor->settleChange();
}

bool MainWindow::isWindowCommandKey(const QKeyEvent *event) const
{
    const QKeySequence pressed(QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    return m_windowCommandKeys.contains(pressed);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The entries, the list and the buttons claim some keys for themselves
    // (an entry takes Ctrl+E to go to its end); the keys of the window's
    // commands reach the commands from every box. Editing keys stay with
    // the box, whose own undo, cut, copy and paste are those of the menu.
    if (event->type() == QEvent::ShortcutOverride && isWindowCommandKey(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return true;
    }
    // "&Edit value" and the Edit menu share Alt+E; while the Compile panel
    // shows, the key is the button's, as it always was.
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)
        && control(controlKey(QStringLiteral("fraMain"), 1))->isVisible()) {
        auto *button = widget<QPushButton>("Command1");
        const auto *key = static_cast<QKeyEvent *>(event);
        if (QKeySequence(key->keyCombination()) == QKeySequence::mnemonic(button->text())) {
            if (event->type() == QEvent::ShortcutOverride)
                event->accept();
            else
                button->animateClick();
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == control(QStringLiteral("lblSearch")))
            m_form->textSearch.lblSearch_DblClick();
        else if (watched == control(QStringLiteral("lblFilename")))
            m_form->preferences.lblFilename_DblClick();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (m_form)
        m_form->Form_Resize();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_unloading || m_form->closeRequested(false))
        event->accept();
    else
        event->ignore();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !m_form || m_activationQueued)
        return;
    // Looked at once the activation is over rather than inside it, and not
    // under a dialog of this program: a question then would stack on the
    // one showing. Closing that dialog activates the window again.
    m_activationQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_activationQueued = false;
            if (isActiveWindow() && !QApplication::activeModalWidget() && !m_unloading)
                m_form->Form_Activate();
        },
        Qt::QueuedConnection);
}

void MainWindow::commitData(QSessionManager &manager)
{
    if (m_placement)
        m_placement->save();
    // Without a word with the user, the session's end is taken as a signal's.
    if (!manager.allowsInteraction()) {
        m_recovery->keepNow();
        return;
    }
    const bool mayEnd = m_form->closeRequested(true);
    manager.release();
    if (mayEnd) {
        m_unloading = true;
    } else {
        manager.cancel();
    }
}

void MainWindow::rememberPlacementIn(const QString &file)
{
    m_placement = std::make_unique<WindowPlacementKeeper>(
        WindowPlacementKeeper::Services{*m_frame, m_files, m_folders, m_placementTimer}, file);
    m_placement->restore(MainCatalogue::minimumSize);
}

void MainWindow::centreOnScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
