#pragma once

#include "editorwidget.h"
#include "qtcontrols.h"
#include "platform/textbox.h"

#include <string_view>

// Answers the editor box's line queries from Scintilla's own line index.
// Scintilla counts UTF-8 bytes; the logic counts QString units. The two are
// bridged by Scintilla's UTF-16 line index, so each query costs a lookup per
// line, never a copy of the text.
class ScintillaTextBox : public QtControlBase<TextBox, EditorWidget>
{
public:
    explicit ScintillaTextBox(EditorWidget *editor);

    int lineCount() const override;
    int lineFromPosition(int pos) const override;
    int lineStart(int line) const override;
    int lineLengthAt(int pos) const override;
    QString lineText(int line) const override;
    int firstVisibleLine() const override;

    bool canUndo() const override;
    void undo() override;
    bool isModified() const override;
    void setModified(bool modified) override;
    void setReadOnly(bool readOnly) override;
    bool isReadOnly() const override;

    int length() const override;
    QString text() const override;
    QByteArray textUtf8() const override;
    void setText(const QString &text) override;
    void replace(int start, int length, const QString &text) override;

    int selectionStart() const override;
    void setSelectionStart(int pos) override;
    int selectionLength() const override;
    void setSelectionLength(int length) override;

    int findForward(const QString &text, int from) const override;
    int findBackward(const QString &text, int from) const override;

    void setMarks(const QList<Mark> &marks) override;
    int markLine(int index) const override;

    double fontSize() const override { return m_fontSize; }
    bool setFontSize(double points) override;

    static constexpr double largestFontSize = 1000;

private:
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    int unitsAt(long bytePos) const;
    long bytesAt(int unitPos) const;
    int caretLine() const;
    std::string_view buffer() const;

    double m_fontSize = 8;
    bool m_forcedModified = false;
};
