#pragma once

#include "app/mainform.h"
#include "app/recovery.h"
#include "app/windowplacementkeeper.h"
#include "desktop/widgets/aboutwindowwidget.h"
#include "platform/qt/listwidgets.h"
#include "platform/qt/qtclipboard.h"
#include "platform/qt/qtcontrols.h"
#include "platform/qt/qtfiledialogs.h"
#include "platform/qt/qtfolders.h"
#include "platform/qt/qtformwindow.h"
#include "platform/qt/qtprinter.h"
#include "platform/qt/qtprocess.h"
#include "platform/qt/qtregistry.h"
#include "platform/qt/qtstatefiles.h"
#include "platform/qt/qtterminal.h"
#include "platform/qt/qtterminationsignals.h"
#include "run/widgets/runwindowwidget.h"
#include "platform/qt/qtfilesystem.h"
#include "platform/qt/qtmessages.h"
#include "platform/qt/qttimer.h"
#include "platform/qt/qturlopener.h"
#include "platform/qt/scintillatextbox.h"

#include <QHash>
#include <QKeySequence>
#include <QSet>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class EditorWidget;
class QAction;
class QGroupBox;
class QKeyEvent;
class QLineEdit;
class QSessionManager;

// The main window: builds the menus and controls from the catalogue, names
// each after its catalogue name, and hands every event to MainForm.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(const QString &commandLine, QWidget *parent = nullptr);
    ~MainWindow() override;

    MainForm &form() { return *m_form; }

    // Controls and menu items by their catalogue key ("cmdLocate(1)").
    QWidget *control(const QString &key) const { return m_controls.value(key); }
    QAction *menuAction(const QString &key) const { return m_actions.value(key); }

    QtFormWindow &frame() { return *m_frame; }

    // From now on keeps the window's place, size and state in file, and
    // puts the window, not yet shown, where the file says.
    void rememberPlacementIn(const QString &file);
    RunWindowWidget &runWindow() { return *m_runWindow; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildMenus();
    void buildControls();
    void connectEvents();
    void centreOnScreen();
    void commitData(QSessionManager &manager);
    void editCommand(const std::function<void(QLineEdit *)> &onEntry,
                     const std::function<void(EditorWidget *)> &onEditor);
    bool isWindowCommandKey(const QKeyEvent *event) const;
    // The named control or menu item, which must exist: a name the catalogue
    // does not know is a slip in this file, stopped at once.
    template<typename Widget>
    Widget *widget(const char *key) const
    {
        auto *w = qobject_cast<Widget *>(control(QString::fromUtf8(key)));
        if (!w)
            qFatal("MainWindow: no control %s", key);
        return w;
    }
    QAction *action(const char *key) const
    {
        QAction *a = menuAction(QString::fromUtf8(key));
        if (!a)
            qFatal("MainWindow: no menu item %s", key);
        return a;
    }

    QHash<QString, QWidget *> m_controls;
    QHash<QString, QAction *> m_actions;
    QSet<QKeySequence> m_windowCommandKeys;
    QWidget *m_client = nullptr;
    EditorWidget *m_editor = nullptr;
    std::unique_ptr<QtFormWindow> m_frame;
    std::unique_ptr<RunWindowWidget> m_runWindow;

    QtMessages m_messages;
    QtMessages m_runMessages;
    QtFileSystem m_files;
    QtClipboard m_clipboard;
    QtFileDialogs m_dialogs;
    QtProcess m_process;
    QtPrinter m_printer;
    QtRegistry m_registry;
    QtFolders m_folders;
    QtUrlOpener m_urls;
    QtTerminal m_terminal;
    QtTimer m_timer1;
    std::unique_ptr<ScintillaTextBox> m_text1;
    std::unique_ptr<QtLabel> m_lblFilename;
    std::unique_ptr<QtLabel> m_lblLine;
    std::unique_ptr<QtEntry> m_txtGotoLine;
    std::unique_ptr<QtEntry> m_txtSearch;
    std::unique_ptr<QtEntry> m_txtReplace;
    std::unique_ptr<QtCheckBox> m_chkReplace;
    std::unique_ptr<QtButton> m_cmdReplace;
    std::array<std::unique_ptr<QtControl<QGroupBox>>, 2> m_fraMain;
    std::array<std::unique_ptr<QtButton>, 4> m_cmdLocate;
    std::unique_ptr<QtCheckList> m_List1;
    std::unique_ptr<QtMenuItem> m_mnuFileSaved;
    std::unique_ptr<QtMenuItem> m_mnuDelete;
    std::unique_ptr<MainForm> m_form;
    QtStateFiles m_stateFiles{QtStateFiles::defaultFolder(QProcessEnvironment::systemEnvironment())};
    QtTimer m_recoveryTimer;
    QtTerminationSignals m_signals;
    std::unique_ptr<Recovery> m_recovery;
    QtTimer m_placementTimer;
    std::unique_ptr<WindowPlacementKeeper> m_placement;
    bool m_unloading = false;
    bool m_activationQueued = false;
};
