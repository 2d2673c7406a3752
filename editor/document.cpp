#include "document.h"

#include "caretstatus.h"
#include "newfiletemplate.h"

Document::Document(EditorState &state, EditorControls controls, const CTextBoxEx &textBoxEx,
                   FileSystem &files, Messages &messages, SourceLink &sourceLink)
    : m_state(state)
    , m_controls(controls)
    , m_textBoxEx(textBoxEx)
    , m_files(files)
    , m_messages(messages)
    , m_sourceLink(sourceLink)
{
}

void Document::askToSaveThen(void (Document::*command)())
{
    switch (m_messages.show(savePromptText(), savePromptText(), Buttons::YesNoCancel, Icon::Information)) {
    case Reply::Yes:
        mnuSave_Click();
        if (!m_state.GoCancel)
            (this->*command)();
        break;
    case Reply::No:
        m_state.FileSaved = true;
        (this->*command)();
        break;
    default:
        break;
    }
}

void Document::showSaved()
{
    m_controls.window.setTitle(m_state.FormName);
    m_controls.lblFilename.setColours(m_state.colours.FSaveB_Y, m_state.colours.FSaveT_Y);
}

void Document::mnuNew_Click()
{
    if (m_state.JustNew)
        return;
    if (!m_state.FileSaved) {
        askToSaveThen(&Document::mnuNew_Click);
        return;
    }
    m_sourceLink.documentIsNew();

    // The template passes through "temp_kvn" in the working folder. A folder
    // that cannot be written must not leave the editor without it, so the
    // template is used directly when the round trip fails.
    const QByteArray templateBytes = NewFileTemplate::bytes();
    const QString tempPath = m_state.WorkDir + QStringLiteral("temp_kvn");
    QByteArray bytes = templateBytes;
    if (m_files.write(tempPath, templateBytes).ok) {
        if (const std::optional<QByteArray> readBack = m_files.read(tempPath))
            bytes = *readBack;
        m_files.remove(tempPath);
    }
    m_controls.Text1.setText(QString::fromLatin1(bytes));
    m_state.currFilename.clear();
    m_controls.lblFilename.setCaption(QStringLiteral("(unsaved)"));

    if (const std::optional<int> start = m_textBoxEx.GetCharFromLine(NewFileTemplate::caretLine))
        m_controls.Text1.setSelectionStart(*start + NewFileTemplate::caretColumn);
    m_state.FileSaved = true;
    showSaved();
    m_state.LastSearchPos = m_controls.Text1.selectionStart();
    m_controls.lblLine.setCaption(CaretStatus::caretLineText(NewFileTemplate::caretLine, 12));
    m_state.JustNew = true;
}

void Document::mnuSave_Click()
{
    if (m_state.currFilename.isEmpty()) {
        mnuSaveAs_Click();
        return;
    }
    // Writing to a file arrives with the file commands; until then a save
    // ends as a cancelled one, so nothing is ever reported as saved.
    m_state.GoCancel = true;
}

void Document::mnuSaveAs_Click()
{
    m_state.GoCancel = true;
}
