#include "helptext.h"

namespace {
const char *const lines[] = {
    "Thanks for using Korvane (KVN)!",
    "",
    "This is a simple getting-started help for the interface and the features of KVN. For more, consult the online "
    "help (the second button on the right), which opens KVN's help pages in your web browser: a detailed walk-through "
    "with pictures. The first button on the right opens the home page of those pages, which are installed with KVN.",
    "",
    "1. Before you start",
    "Keep kvn together with kvncc and kvnrun: KVN finds its compiler, its help pages and its other files from where "
    "its own program file is, so do not move the program file away from them (an installation keeps them all in "
    "place). To open *.cpp, *.c and *.h files with KVN from your file manager, associate them with KVN through "
    "Options > KVN > Associate Extensions. The compiler that comes with KVN, kvncc, accepts the command-line options "
    "of the Borland C++ Compiler 5.5 and hands the work to GCC or Clang; any other compiler with the same "
    "command-line options should work as well. If you use one that does not, please report it.\t",
    "",
    "2. Features of KVN",
    "KVN has a simple, clean interface with two panels: the Main panel, where you edit your source file, and the "
    "Compile panel, which holds the controls for compiling a source file into an application or an assembly source "
    "file.\t",
    "The file operations have the standard shortcuts: Ctrl+N for a new file, Ctrl+O to open, Ctrl+S to save and F12 "
    "to save under another name; browse the menu bar for more. Your preferences are under Options > KVN. You can "
    "drag files from your file manager and drop them on both panels.\t",
    "To compile your first file, type the code and save it with File > Save. Then either open the Compile panel with "
    "Compile on the menu bar (see page 4), or use File > Compile and one of its shortcuts, Ctrl+F9 or Ctrl+F5, for an "
    "automatic compile. Exit KVN with Ctrl+T. Please note that Alt + F4 does not work in KVN. Minimise the window "
    "with Ctrl+M and maximise it with Ctrl+E.\t",
    "",
    "3. The Main Panel",
    "The topmost text shows the path of the current file, or \"(unsaved)\" when you start. By default, yellow text on "
    "red means that the file has unsaved changes, and black text on white that it was saved successfully; you can "
    "change these colours under Options > KVN. You can drop a file on the text box to edit it.\t",
    "Below the text box is the search bar: enter the text to find and press < or > to search upwards or downwards. "
    "Check \"& replace w/\" to enable the Replace button, enter the replacement text, search for the occurrence, then "
    "press Replace. Enter a line number next to \"Go to line\" and press Enter to jump to that line.\t",
    "",
    "4. The Compile Panel",
    "The list holds all the command-line options of the Borland C++ Compiler 5.5. Check an option to use it when "
    "compiling. An entry that ends with 1 needs a parameter, which you change with the \"Edit value\" button.\t",
    "The \"Compiler location\" button shows the current compiler path (by default kvncc, which comes with KVN) and "
    "offers to choose another compiler with an Open dialog; you can also drop a compiler program on it. Next to it, "
    "the \"Find\" button and the two arrow buttons search the option list; the arrows work like those of the Main "
    "panel.\t",
    "The six buttons below set the locations of the source file, the output file and the configuration/response "
    "file, or clear them with \"Clear entry\"; you can also drop files on them. A button's text is regular when its "
    "file is set and bold when it is not. The bottom button, \"Start Compiling!\", compiles and opens the Run "
    "window.\t",
    "",
    "5. The Run Window",
    "The Run window opens beside the main window. It runs the compiler through a batch file (Run.bat, run by "
    "/bin/sh) that sends all of the compiler's output to a text file, and shows that file, so that you can review "
    "the errors easily; a compiler that hangs can be stopped with \"Stop compiler\". The window can be resized and "
    "moved, and its two other buttons copy the output to the clipboard or save it to a text file. Close it with the "
    "Close button of its title bar, and show it again with Window > Show Compiler Output.\t",
};
} // namespace

QString HelpText::fileName()
{
    return QStringLiteral("r_kvn.txt");
}

QByteArray HelpText::bytes()
{
    QByteArray text;
    for (const char *line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}
