#pragma once

#include "platform/controls.h"
#include "platform/formwindow.h"
#include "platform/textbox.h"

// The controls of the Main panel that the document logic reads and writes.
struct EditorControls
{
    FormWindow &window;
    TextBox &Text1;
    Label &lblFilename;
    Label &lblLine;
    Entry &txtGotoLine;
};
