#include "maincatalogue.h"

QString controlKey(const QString &name, int index)
{
    return index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index);
}

namespace {

QList<ControlSpec> buildControls()
{
    using K = ControlKind;
    const QString main = controlKey(QStringLiteral("fraMain"), 0);
    const QString compile = controlKey(QStringLiteral("fraMain"), 1);
    const QString bar = QStringLiteral("Frame1");
    const QString ifBold = QStringLiteral("If bold, no file is specified.");
    const auto s = [](const char *text) { return QString::fromUtf8(text); };

    return {
        {s("fraMain"), 0, K::Frame, {}, s("Main"), {}, {0, 0, 6495, 5775}},
        {s("fraMain"), 1, K::Frame, {}, s("Compile"), {}, {0, 0, 6495, 5775}},

        {s("lblFilename"), -1, K::Label, main, s("(unsaved)"), s("Current File Opened"), {120, 240, 6255, 315}},
        {s("Text1"), -1, K::Editor, main, {}, {}, {120, 600, 6255, 4095}},
        {s("Frame1"), -1, K::Frame, main, {}, {}, {120, 4680, 6255, 975}},
        {s("lblSearch"), -1, K::Label, bar, s("Search"), s("Double-click to restart search position to top"), {120, 240, 975, 255}},
        {s("txtSearch"), -1, K::Entry, bar, {}, {}, {840, 240, 975, 285}},
        {s("chkReplace"), -1, K::CheckBox, bar, s("&& replace w/"), s("Double-click here to replace text"), {1920, 240, 1575, 255}},
        {s("txtReplace"), -1, K::Entry, bar, {}, {}, {3360, 240, 975, 285}, false, false},
        {s("cmdPrev"), -1, K::Button, bar, s("<"), {}, {4440, 240, 375, 315}},
        {s("cmdReplace"), -1, K::Button, bar, s("Replace"), {}, {4800, 240, 975, 315}, false, false},
        {s("cmdNext"), -1, K::Button, bar, s(">"), {}, {5760, 240, 375, 315}},
        {s("lblGoto"), -1, K::Label, bar, s("Go to line"), {}, {120, 600, 975, 255}},
        {s("txtGotoLine"), -1, K::Entry, bar, s("1"), s("Press <ENTER> to go to line"), {1080, 600, 735, 285}},
        {s("lblLine"), -1, K::Label, bar, {}, {}, {1890, 600, 4230, 255}},

        {s("List1"), -1, K::CheckList, compile, {}, {}, {120, 240, 6255, 2535}},
        {s("Command1"), -1, K::Button, compile, s("&Edit value"), {}, {120, 2880, 1095, 495}},
        {s("cmdLocate"), 0, K::Button, compile, s("Compiler location"), s("Specify compiler location *REQUIRED*"), {1200, 2880, 3495, 495}},
        {s("cmdFindPrev"), -1, K::Button, compile, s("<"), {}, {4680, 2880, 495, 495}},
        {s("cmdFind"), -1, K::Button, compile, s("Find"), {}, {5160, 2880, 735, 495}},
        {s("cmdFindNext"), -1, K::Button, compile, s(">"), {}, {5880, 2880, 495, 495}},
        {s("cmdClrEntry"), 1, K::Button, compile, s("Clear entry"), {}, {120, 3360, 1095, 495}},
        {s("cmdLocate"), 1, K::Button, compile, s("Source file location"), ifBold, {1200, 3360, 5175, 495}, true},
        {s("cmdClrEntry"), 2, K::Button, compile, s("Clear entry"), {}, {120, 3840, 1095, 495}},
        {s("cmdLocate"), 2, K::Button, compile, s("Output file location"), ifBold, {1200, 3840, 5175, 495}, true},
        {s("cmdClrEntry"), 3, K::Button, compile, s("Clear entry"), {}, {120, 4320, 1095, 495}},
        {s("cmdLocate"), 3, K::Button, compile, s("Configuration/Response file location"), ifBold, {1200, 4320, 5175, 495}, true},
        {s("cmdCompile"), -1, K::Button, compile, s("Start Compiling! (&D)"), {}, {120, 4920, 6255, 735}, true},
    };
}

QList<MenuSpec> buildMenus()
{
    const auto s = [](const char *text) { return QString::fromUtf8(text); };
    const QString spaces = s("     ");
    const QString compileOptions = s("mnuCompileOptions");
    return {
        {s("mnuWin"), -1, {}, s("&Window"), {}},
        {s("mnuMin"), -1, s("mnuWin"), s("&Minimize"), s("Ctrl+M")},
        {s("mnuMax"), -1, s("mnuWin"), s("Maximiz&e"), s("Ctrl+E")},
        {s("mnuRestore"), -1, s("mnuWin"), s("&Restore"), s("Ctrl+R")},
        {s("mnuExit"), -1, s("mnuWin"), s("&Exit"), s("Ctrl+T")},
        {s("mnuOutput"), -1, s("mnuWin"), s("Show Compiler Output"), s("Shift+F1")},
        {s("mnuAbout"), -1, s("mnuWin"), s("Help"), s("F1")},
        {s("mnuSpace1"), -1, {}, spaces, {}},
        {s("mnuKVN"), -1, {}, s("&File"), {}},
        {s("mnuNew"), -1, s("mnuKVN"), s("&New"), s("Ctrl+N")},
        {s("mnuOpen"), -1, s("mnuKVN"), s("&Open"), s("Ctrl+O")},
        {s("mnuSave"), -1, s("mnuKVN"), s("&Save"), s("Ctrl+S")},
        {s("mnuSaveAs"), -1, s("mnuKVN"), s("Save &As"), s("F12")},
        {s("mnuPrint"), -1, s("mnuKVN"), s("&Print"), s("Ctrl+P")},
        {s("mnuCompileA"), -1, s("mnuKVN"), s("&Compile"), {}},
        {s("mnuCompile1"), -1, s("mnuCompileA"), s("Borland C++ Shortcut"), s("Ctrl+F9")},
        {s("mnuCompile2"), -1, s("mnuCompileA"), s("Visual C++ Shortcut"), s("Ctrl+F5")},
        {s("mnuRun"), -1, s("mnuKVN"), s("Run"), s("Shift+F5")},
        {s("mnuEdit"), -1, {}, s("&Edit"), {}},
        {s("mnuUndo"), -1, s("mnuEdit"), s("&Undo"), s("Ctrl+Z")},
        {s("mnuRedo"), -1, s("mnuEdit"), s("&Redo"), s("Ctrl+Shift+Z")},
        {s("mnuCut"), -1, s("mnuEdit"), s("Cu&t"), s("Ctrl+X")},
        {s("mnuCopy"), -1, s("mnuEdit"), s("&Copy"), s("Ctrl+C")},
        {s("mnuPaste"), -1, s("mnuEdit"), s("&Paste"), s("Ctrl+V")},
        {s("mnuSelectAll"), -1, s("mnuEdit"), s("Select &All"), s("Ctrl+A")},
        {s("mnuCutLine"), -1, s("mnuEdit"), s("Cut &Line"), s("Ctrl+Y")},
        {s("mnuZoomIn"), -1, s("mnuEdit"), s("Zoom &In"), s("Ctrl++")},
        {s("mnuZoomOut"), -1, s("mnuEdit"), s("Zoom &Out"), s("Ctrl+-")},
        {s("mnuZoomReset"), -1, s("mnuEdit"), s("&Normal Size"), s("Ctrl+0")},
        {s("mnuS"), -1, {}, s("&Search"), {}},
        {s("mnuSearch"), -1, s("mnuS"), s("&Search"), s("Ctrl+F")},
        {s("mnuReplace"), -1, s("mnuS"), s("&Replace"), s("Ctrl+H")},
        {s("mnuNextDiag"), -1, s("mnuS"), s("&Next Diagnostic"), s("F8")},
        {s("mnuPrevDiag"), -1, s("mnuS"), s("&Previous Diagnostic"), s("Shift+F8")},
        {s("mnuSettings"), -1, {}, s("&Options"), {}},
        {compileOptions, -1, s("mnuSettings"), s("&Compile"), {}},
        {s("mnuCompileOpt"), 0, compileOptions, s("&Compiler Location"), s("F2")},
        {s("mnuCompileOpt"), 1, compileOptions, s("&Source File Location"), s("F3")},
        {s("mnuCompileOpt"), 2, compileOptions, s("&Output File Location"), s("F4")},
        {s("mnuCompileOpt"), 3, compileOptions, s("&Compiler Configuration/Response File"), s("F5")},
        {s("mnuKvnOptions"), -1, s("mnuSettings"), s("&KVN"), {}},
        {s("mnuFileSaved"), -1, s("mnuKvnOptions"), s("'File Saved' &Confirmation Dialog Box"), s("F6"), true, true},
        {s("mnuDelete"), -1, s("mnuKvnOptions"), s("&Delete *.tds && *.obj files Dialog Box"), s("Shift+F6"), true, false},
        {s("mnuFont"), 8, s("mnuKvnOptions"), s("Change &Font Size"), s("F7")},
        {s("mnuColor"), -1, s("mnuKvnOptions"), s("Change File Saved Color &Indication"), s("Shift+F7")},
        {s("mnuAssExt"), -1, s("mnuKvnOptions"), s("&Associate Extensions"), s("Ctrl+F8")},
        {s("mnuSpace2"), -1, {}, spaces, {}},
        {s("mnuMain"), -1, {}, s("&Main"), {}},
        {s("mnuCompile"), -1, {}, s("&Compile"), {}},
    };
}

} // namespace

const QList<ControlSpec> &MainCatalogue::controls()
{
    static const QList<ControlSpec> table = buildControls();
    return table;
}

const QList<MenuSpec> &MainCatalogue::menus()
{
    static const QList<MenuSpec> table = buildMenus();
    return table;
}

const ControlSpec *MainCatalogue::control(const QString &key)
{
    for (const ControlSpec &entry : controls()) {
        if (entry.key() == key)
            return &entry;
    }
    return nullptr;
}
