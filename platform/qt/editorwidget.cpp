#include "editorwidget.h"

#include "droppedfiles.h"

#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexercpp.h>

#include <QKeyEvent>
#include <QTimer>
#include <QMimeData>
#include <QUrl>

EditorWidget::EditorWidget(QWidget *parent)
    : QsciScintilla(parent)
{
    setUtf8(true);
    setEolMode(EolWindows);
    setWrapMode(WrapNone);
    setEolVisibility(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Scroll width follows the longest line seen, so the bar is usable at once.
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    setLexer(new QsciLexerCPP(this));
    setMarginType(0, NumberMargin);
    setMarginLineNumbers(0, true);
    setMarginWidth(1, 0);
    setTabWidth(8);
    setCaretLineVisible(false);
    // Every edit is seen through Scintilla's save point, not its per-edit
    // notifications: QScintilla's handling of those walks the document from
    // the top on each edit, a quarter of a second per key near the end of a
    // 50 MB file. The save point is moved up to the text after each change,
    // so the next change leaves it again; whether the text differs from the
    // last save is kept here instead.
    SendScintilla(SCI_SETMODEVENTMASK, 0);
    connect(this, &QsciScintillaBase::SCN_SAVEPOINTLEFT, this, &EditorWidget::textLeftSavePoint);
    connect(this, &EditorWidget::edited, this, &EditorWidget::updateMarginWidth);

    // The usual edit-box keys stay; every other Ctrl+letter belongs to the window.
    const QString keep = QStringLiteral("ACVXZ");
    for (QsciCommand *command : standardCommands()->commands()) {
        for (const int key : {command->key(), command->alternateKey()}) {
            const int letter = key & ~int(Qt::KeyboardModifierMask);
            const bool ctrlLetter = (key & Qt::ControlModifier) && letter >= Qt::Key_A && letter <= Qt::Key_Z;
            if (!ctrlLetter || keep.contains(QChar(letter)))
                continue;
            if (key == command->key())
                command->setKey(0);
            else
                command->setAlternateKey(0);
        }
    }
}

void EditorWidget::setEditorFont(const QString &family, double points)
{
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(points);
    if (QsciLexer *lex = lexer()) {
        lex->setDefaultFont(font);
        lex->setFont(font, -1);
    }
    setFont(font);
    setMarginsFont(font);
    m_marginDigits = 0; // as many digits, but wider or narrower ones
    updateMarginWidth();
}

void EditorWidget::releaseKeys(const QList<QKeySequence> &keys)
{
    for (const QKeySequence &sequence : keys) {
        if (sequence.isEmpty())
            continue;
        const int key = sequence[0].toCombined();
        for (QsciCommand *command : standardCommands()->commands()) {
            if (command->key() == key)
                command->setKey(0);
            if (command->alternateKey() == key)
                command->setAlternateKey(0);
        }
    }
}

void EditorWidget::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(event->key(), event->modifiers());
    QsciScintilla::keyPressEvent(event);
}

void EditorWidget::keyReleaseEvent(QKeyEvent *event)
{
    QsciScintilla::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyUp(event->key(), event->modifiers());
}

void EditorWidget::mousePressEvent(QMouseEvent *event)
{
    QsciScintilla::mousePressEvent(event);
    emit mouseDown();
}

void EditorWidget::textLeftSavePoint()
{
    m_changed = true;
    emit edited();
    // Moving the save point from inside Scintilla's own edit is left until
    // the edit is over; edits until then belong to the same change.
    if (m_rearmPending)
        return;
    m_rearmPending = true;
    QTimer::singleShot(0, this, [this] {
        m_rearmPending = false;
        SendScintilla(SCI_SETSAVEPOINT);
    });
}

void EditorWidget::markUnchanged()
{
    m_changed = false;
    SendScintilla(SCI_SETSAVEPOINT);
}

void EditorWidget::updateMarginWidth()
{
    // Only a change in the number of digits moves the margin.
    const int digits = int(QString::number(lines()).size());
    if (digits == m_marginDigits)
        return;
    m_marginDigits = digits;
    setMarginWidth(0, QStringLiteral("0%1").arg(lines()));
}

void EditorWidget::dragEnterEvent(QDragEnterEvent *event)
{
    takeDroppedFiles(event);
}

void EditorWidget::dragMoveEvent(QDragMoveEvent *event)
{
    takeDroppedFiles(event);
}

void EditorWidget::dropEvent(QDropEvent *event)
{
    const QStringList paths = takeDroppedFiles(event);
    if (!paths.isEmpty())
        emit filesDropped(paths);
}
