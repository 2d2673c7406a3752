#pragma once

#include "platform/colour.h"

#include <QString>

// Colours of the file label: background and text while the document is
// saved, and while it has unsaved changes.
struct IndicatorColours
{
    Colour FSaveB_Y = Colours::white;
    Colour FSaveT_Y = Colours::black;
    Colour FSaveB_N = Colours::red;
    Colour FSaveT_N = Colours::yellow;

    bool isDefault() const { return *this == IndicatorColours{}; }
    friend bool operator==(const IndicatorColours &, const IndicatorColours &) = default;
};

// The document's side of the main window's shared state.
struct EditorState
{
    QString FormName;            // base window title
    QString WorkDir;             // working folder, ending in '/'
    bool FileSaved = true;       // no unsaved changes
    bool JustNew = false;        // the untouched template is showing
    bool GoCancel = false;       // the last dialog-driven step was cancelled or failed
    QString currFilename;        // the document's file; empty when never saved
    QString fileopened;          // a dropped file waiting for Open
    int LastSearchPos = 1;       // where the text search goes on
    IndicatorColours colours;
};
