#pragma once

#include "compile/settingswriter.h"
#include "editor/editorstate.h"
#include "platform/controls.h"
#include "platform/filedialogs.h"
#include "platform/messages.h"
#include "platform/textbox.h"

// Options > KVN: the editor's font size, the four colours of the file
// label, and the two confirmation switches. Each change applies at once; the
// settings file is written when the change leaves a default or the file
// already exists, so it is never created only to record a default.
class Preferences
{
public:
    struct Controls
    {
        TextBox &Text1;
        Label &lblFilename;
        MenuItem &mnuFileSaved;
        MenuItem &mnuDelete;
    };
    struct Services
    {
        Messages &messages;
        FileDialogs &dialogs;
        SettingsWriter &settings;
    };

    Preferences(EditorState &state, Controls controls, Services services);

    void mnuFont_Click();
    void mnuColor_Click();
    void lblFilename_DblClick();
    void mnuFileSaved_Click();
    void mnuDelete_Click();

    // Shows the colour dialog on start; sets CColor, or GoCancel when cancelled.
    void ChooseColor(Colour start);

    Colour CColor = 0;

private:
    EditorState &m_state;
    Controls m_controls;
    Services m_services;
};
