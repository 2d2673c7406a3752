#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QsciScintilla;

// The compiler's messages shown in the editor box: an icon in a margin of
// its own on each line with a message (an error's differs from a
// warning's), a wavy underline under the spot, and the message itself in a
// tip when the mouse rests on the line or the caret stands on it. Scintilla
// moves the marks with the edits.
class EditorMarks : public QObject
{
    Q_OBJECT
public:
    struct Mark
    {
        long start = 0;  // byte position of the spot
        long length = 0; // bytes underlined
        bool error = true;
        QString message;
    };

    explicit EditorMarks(QsciScintilla *editor);

    // These marks in place of any before.
    void set(const QList<Mark> &marks);
    void clear() { set({}); }
    // The line mark index stands on now; -1 when its line was deleted.
    int line(int index) const;

private:
    void defineIcons();
    QString messagesOn(long line) const;
    void showTip(int position, int x, int y);
    void caretMoved(int updated);

    QsciScintilla *m_editor;
    QList<int> m_handles;
    QList<QString> m_messages;
    long m_tipLine = -1;
    bool m_iconsDefined = false;
};
