#pragma once

#include "fakecontrols.h"
#include "platform/textbox.h"

#include <QList>

#include <functional>

// The editor box over a plain QString. It computes every answer by scanning
// the text, so it serves as the reference for the line model that the real
// box must reproduce.
class FakeTextBox : public FakeControlBase<TextBox>
{
public:
    int lineCount() const override;
    int lineFromPosition(int pos) const override;
    int lineStart(int line) const override;
    int lineLengthAt(int pos) const override;
    QString lineText(int line) const override;
    int firstVisibleLine() const override { return 0; }

    bool canUndo() const override { return !m_undo.isEmpty(); }
    void undo() override;
    bool isModified() const override { return m_modified; }
    void setModified(bool modified) override { m_modified = modified; }
    void setReadOnly(bool readOnly) override { m_readOnly = readOnly; }
    bool isReadOnly() const override { return m_readOnly; }

    int length() const override { return int(m_text.size()); }
    QString text() const override { return m_text; }
    QByteArray textUtf8() const override { return m_text.toUtf8(); }
    void setText(const QString &text) override;
    void replace(int start, int length, const QString &text) override;

    int selectionStart() const override { return m_selStart; }
    void setSelectionStart(int pos) override;
    int selectionLength() const override { return m_selLength; }
    void setSelectionLength(int length) override;

    int findForward(const QString &text, int from) const override;
    int findBackward(const QString &text, int from) const override;

    // The marks stay on the lines they were put on.
    void setMarks(const QList<Mark> &marks) override { m_marks = marks; }
    int markLine(int index) const override
    {
        return index >= 0 && index < m_marks.size() ? lineFromPosition(m_marks.at(index).start) : -1;
    }
    const QList<Mark> &marks() const { return m_marks; }

    double fontSize() const override { return m_fontSize; }
    bool setFontSize(double points) override;

    // Types text at the caret as a user would: replaces the selection.
    void type(const QString &text);

    // Called after every change of the text, like the real box's change event.
    std::function<void()> onChange;
    int changeCount = 0;

private:
    void changed();

    QString m_text;
    QList<QString> m_undo;
    bool m_modified = false;
    bool m_readOnly = false;
    int m_selStart = 0;
    int m_selLength = 0;
    double m_fontSize = 8;
    QList<Mark> m_marks;
};
