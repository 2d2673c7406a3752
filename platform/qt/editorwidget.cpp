#include "editorwidget.h"

#include "droppedfiles.h"
#include "editoraccessible.h"

#include <Qsci/qscicommandset.h>
#include <Qsci/qscilexercpp.h>

#include <QColor>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

EditorWidget::EditorWidget(QWidget *parent)
    : QsciScintilla(parent)
    , m_marks(nullptr)
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
    m_marks = new EditorMarks(this);
    setTabWidth(8);
    // The comforts of a code editor: the caret's line faintly marked, the
    // partner of a brace at the caret lit (an unmatched one in red), and a
    // new line indented as the one before it.
    setCaretLineVisible(true);
    setCaretLineBackgroundColor(QColor(0xEE, 0xF3, 0xFC));
    setBraceMatching(SloppyBraceMatch);
    setMatchedBraceBackgroundColor(QColor(0xC8, 0xE6, 0xC9));
    setMatchedBraceForegroundColor(Qt::black);
    setUnmatchedBraceBackgroundColor(QColor(0xFF, 0xCD, 0xD2));
    setUnmatchedBraceForegroundColor(QColor(0xB7, 0x1C, 0x1C));
    connect(this, &QsciScintillaBase::SCN_CHARADDED, this, &EditorWidget::indentNewLine);
    EditorAccessible::install();
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this] { EditorAccessible::caretMoved(this); });
    connect(this, &QsciScintillaBase::SCN_ZOOM, this, [this] {
        m_marginDigits = 0;
        updateMarginWidth();
    });
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
    if (!event->isAutoRepeat())
        m_keysDown.insert(event->key());
    emit keyDown(event->key(), event->modifiers());
    QsciScintilla::keyPressEvent(event);
}

void EditorWidget::keyReleaseEvent(QKeyEvent *event)
{
    QsciScintilla::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && m_keysDown.remove(event->key()))
        emit keyUp(event->key(), event->modifiers());
}

void EditorWidget::mousePressEvent(QMouseEvent *event)
{
    QsciScintilla::mousePressEvent(event);
    emit mouseDown();
}

void EditorWidget::focusInEvent(QFocusEvent *event)
{
    // Keys held while the box had no keyboard were pressed somewhere else.
    m_keysDown.clear();
    QsciScintilla::focusInEvent(event);
}

void EditorWidget::textLeftSavePoint()
{
    // Scintilla says so in the middle of its edit, before the caret has
    // moved. The change is reported now, and settled once the event that
    // made it is over; until then further edits leave no save point to
    // report, and belong to the same change.
    m_changed = true;
    emit edited();
    if (m_changePending)
        return;
    m_changePending = true;
    QMetaObject::invokeMethod(this, &EditorWidget::settleChange, Qt::QueuedConnection);
}

void EditorWidget::settleChange()
{
    if (!m_changePending)
        return;
    m_changePending = false;
    // The save point moves up to the text, so the next edit leaves it again.
    SendScintilla(SCI_SETSAVEPOINT);
    emit edited();
}

bool EditorWidget::event(QEvent *event)
{
    const bool handled = QsciScintilla::event(event);
    settleChange();
    return handled;
}

bool EditorWidget::viewportEvent(QEvent *event)
{
    const bool handled = QsciScintilla::viewportEvent(event);
    settleChange();
    return handled;
}

void EditorWidget::indentNewLine(int character)
{
    if (character != '\n')
        return;
    // The new line starts with exactly the blanks the line before starts
    // with, tabs and spaces as they are.
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    const long line = SendScintilla(SCI_LINEFROMPOSITION, caret);
    if (line < 1 || caret != SendScintilla(SCI_POSITIONFROMLINE, line))
        return;
    const long previous = SendScintilla(SCI_POSITIONFROMLINE, line - 1);
    const long previousEnd = SendScintilla(SCI_GETLINEENDPOSITION, line - 1);
    QByteArray blanks;
    for (long pos = previous; pos < previousEnd; ++pos) {
        const char c = char(SendScintilla(SCI_GETCHARAT, pos));
        if (c != ' ' && c != '\t')
            break;
        blanks += c;
    }
    if (blanks.isEmpty())
        return;
    SendScintilla(SCI_ADDTEXT, blanks.size(), blanks.constData());
}

void EditorWidget::markUnchanged()
{
    // The text as it stands is the saved one; a change not yet announced is in it.
    m_changed = false;
    m_changePending = false;
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
