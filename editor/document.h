#pragma once

#include "ctextboxex.h"
#include "editorcontrols.h"
#include "editorstate.h"
#include "sourcelink.h"

#include "platform/filesystem.h"
#include "platform/messages.h"

// The document commands: New, Save and Save As, and the save prompt that
// guards every command replacing the document.
class Document
{
public:
    Document(EditorState &state, EditorControls controls, const CTextBoxEx &textBoxEx,
             FileSystem &files, Messages &messages, SourceLink &sourceLink);

    void mnuNew_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();

    // The file label's colours and the window title for the saved state.
    void showSaved();

    static QString savePromptText() { return QStringLiteral("Would you like to save your file?"); }

private:
    // Asks to save unsaved work; Yes saves and No discards, then the asking
    // command runs again. Cancel leaves everything as it is.
    void askToSaveThen(void (Document::*command)());

    EditorState &m_state;
    EditorControls m_controls;
    const CTextBoxEx &m_textBoxEx;
    FileSystem &m_files;
    Messages &m_messages;
    SourceLink &m_sourceLink;
};
