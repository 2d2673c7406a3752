#include "outputview.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
constexpr int iconSize = 14;

// Spaces and tabs end a word; a no-break space does not.
bool breaksAfter(QChar c)
{
    return c == u' ' || c == u'\t' || (c.isSpace() && c.decompositionTag() != QChar::NoBreak);
}

QColor textColour(OutputBox::LineKind kind)
{
    switch (kind) {
    case OutputBox::LineKind::Error: return QColor(0xB0, 0x00, 0x20);
    case OutputBox::LineKind::Warning: return QColor(0x8A, 0x5A, 0x00);
    case OutputBox::LineKind::Note: break;
    }
    return QColor(0x1A, 0x4F, 0x9C);
}

QStyle::StandardPixmap iconOf(OutputBox::LineKind kind)
{
    switch (kind) {
    case OutputBox::LineKind::Error: return QStyle::SP_MessageBoxCritical;
    case OutputBox::LineKind::Warning: return QStyle::SP_MessageBoxWarning;
    case OutputBox::LineKind::Note: break;
    }
    return QStyle::SP_MessageBoxInformation;
}
} // namespace

class OutputView::IconMargin : public QWidget
{
public:
    explicit IconMargin(OutputView *view) : QWidget(view), m_view(view) {}

protected:
    void paintEvent(QPaintEvent *event) override { m_view->paintIcons(event); }

private:
    OutputView *m_view;
};

// Qt wraps a line wherever Unicode allows a break: between the two plus
// signs of "g++", after a slash or a hyphen, so a path or a command line
// reads as two words. This layout lays each block out itself and ends a
// wrapped line only after a space or a tab; a word longer than a whole line
// still breaks where the line ends. The document keeps the text exactly as
// given, so whatever reads it (copy, Save, a screen reader) gets that text.
//
// QPlainTextDocumentLayout lays blocks out lazily: a block whose layout was
// cleared (by a change of text, font or width) is laid out the first time
// its bounding rectangle is asked for, and every reader of a block's lines
// asks for that first. The one place the base lays a block out on its own is
// a change inside a single block, which documentChanged lays out again here.
class OutputView::WordLayout : public QPlainTextDocumentLayout
{
public:
    explicit WordLayout(QTextDocument *document) : QPlainTextDocumentLayout(document) {}

    QRectF blockBoundingRect(const QTextBlock &block) const override
    {
        if (block.isValid() && block.layout()->lineCount() == 0)
            const_cast<WordLayout *>(this)->layoutBlock(block);
        return QPlainTextDocumentLayout::blockBoundingRect(block);
    }

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override
    {
        QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
        QTextDocument *doc = document();
        const QTextBlock last = doc->findBlock(std::max(0, from + charsRemoved + charsAdded - 1));
        bool relaid = false;
        for (QTextBlock block = doc->findBlock(from); block.isValid(); block = block.next()) {
            if (block.layout()->lineCount() > 0) {
                layoutBlock(block);
                relaid = true;
            }
            if (block == last)
                break;
        }
        if (relaid)
            emit update(QRectF(0., -doc->documentMargin(), 1000000000., 1000000000.));
    }

private:
    void layoutBlock(const QTextBlock &block)
    {
        QTextDocument *doc = document();
        const QString text = block.text();
        QTextOption option = doc->defaultTextOption();
        // A line is placed by its width only when it is aligned left; a
        // right-to-left paragraph keeps Qt's own breaks.
        const bool rightToLeft = option.textDirection() == Qt::RightToLeft
            || (option.textDirection() != Qt::LeftToRight && text.isRightToLeft());
        const bool ownBreaks = option.wrapMode() != QTextOption::NoWrap
            && option.wrapMode() != QTextOption::ManualWrap && !rightToLeft
            && !(option.alignment() & (Qt::AlignRight | Qt::AlignHCenter | Qt::AlignJustify));
        if (ownBreaks)
            option.setWrapMode(QTextOption::WrapAnywhere);
        QTextLayout *layout = block.layout();
        layout->setTextOption(option);

        const qreal margin = doc->documentMargin();
        qreal available = frameBoundingRect(nullptr).width();
        if (available <= 0)
            available = qreal(INT_MAX); // not yet shown: nothing wraps, as in Qt's own layout
        available -= 2 * margin;
        if (option.flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
            available -= QFontMetricsF(block.charFormat().font()).horizontalAdvance(QChar(0x21B5));

        qreal height = 0;
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(available);
            if (ownBreaks)
                endAfterSpace(line, text, available);
            line.setPosition(QPointF(margin, height));
            height += line.height();
            if (line.leading() < 0)
                height += std::ceil(line.leading());
        }
        layout->endLayout();

        const int before = doc->lineCount();
        QTextBlock(block).setLineCount(block.isVisible() ? layout->lineCount() : 0);
        // The view sizes its scroll bar from the document's line count. The
        // report makes it lay more blocks out; those need no report of their
        // own, since it reads the count once it has laid them out.
        if (doc->lineCount() != before && !m_reporting) {
            m_reporting = true;
            emit documentSizeChanged(documentSize());
            m_reporting = false;
        }
    }

    // line holds as many characters as fit; when it ends inside a word, it
    // is laid out again to end after the last space before that word.
    static void endAfterSpace(QTextLine &line, const QString &text, qreal available)
    {
        const int start = line.textStart();
        const int end = start + line.textLength();
        if (end >= text.size() || end <= start || breaksAfter(text[end - 1]))
            return;
        int wordStart = end - 1;
        while (wordStart > start && !breaksAfter(text[wordStart - 1]))
            --wordStart;
        int spaceStart = wordStart;
        while (spaceStart > start && breaksAfter(text[spaceStart - 1]))
            --spaceStart;
        // No space after a word on this line: the word is longer than the line.
        if (spaceStart <= start)
            return;
        // A line as wide as the text before the word, and half of the word's
        // first character, takes the text up to the word and its spaces.
        int next = wordStart + 1;
        if (next < end && text[wordStart].isHighSurrogate() && text[next].isLowSurrogate())
            ++next;
        const qreal left = line.cursorToX(start);
        const qreal wordX = line.cursorToX(wordStart);
        const qreal firstWidth = std::max<qreal>(0, line.cursorToX(next) - wordX);
        line.setLineWidth(wordX - left + firstWidth / 2);
        if (line.textStart() + line.textLength() != wordStart)
            line.setLineWidth(available); // shaping defeated the measure: break as before
    }

    bool m_reporting = false;
};

OutputView::OutputView(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_margin(new IconMargin(this))
{
    auto *text = new QTextDocument(this);
    auto *layout = new WordLayout(text);
    text->setDocumentLayout(layout);
    setDocument(text);
    // What QPlainTextEdit does for the document it makes itself, so that
    // fonts are measured at the screen's resolution.
    layout->setPaintDevice(viewport());

    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(8);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setReadOnly(true);
    // The caret stays, so that the keys can pick a line.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setViewportMargins(iconSize + 4, 0, 0, 0);
    connect(this, &QPlainTextEdit::updateRequest, m_margin, [this](const QRect &rect, int dy) {
        if (dy)
            m_margin->scroll(0, dy);
        else
            m_margin->update(0, rect.y(), m_margin->width(), rect.height());
    });
}

void OutputView::setOutput(const QString &text)
{
    setPlainText(text);
}

QString OutputView::output() const
{
    return toPlainText();
}

// A copy is the text alone, so that pasting it nowhere brings the colours
// of the lines along.
QMimeData *OutputView::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    data->setText(textCursor().selection().toPlainText());
    return data;
}

void OutputView::setFontSize(double points)
{
    if (points <= 0)
        return;
    QFont shown = font();
    shown.setPointSizeF(points);
    setFont(shown);
}

void OutputView::markLines(const QList<OutputBox::MarkedLine> &lines)
{
    m_marked = lines;
    m_currentFirst = m_currentLast = -1;
    updateSelections();
    m_margin->update();
}

void OutputView::showCurrent(int first, int last)
{
    m_currentFirst = first;
    m_currentLast = std::max(first, last);
    updateSelections();
    if (first < 0)
        return;
    QTextCursor cursor(document()->findBlockByNumber(m_currentLast));
    setTextCursor(cursor);
    ensureCursorVisible();
    cursor = QTextCursor(document()->findBlockByNumber(first));
    setTextCursor(cursor);
    ensureCursorVisible();
}

void OutputView::updateSelections()
{
    const QColor light(0xFF, 0xF3, 0xC4);
    const auto isCurrent = [this](int line) { return m_currentFirst >= 0 && line >= m_currentFirst && line <= m_currentLast; };
    QList<QTextEdit::ExtraSelection> selections;
    for (int number = m_currentFirst; number >= 0 && number <= m_currentLast; ++number) {
        QTextEdit::ExtraSelection lit;
        lit.cursor = QTextCursor(document()->findBlockByNumber(number));
        lit.format.setBackground(light);
        lit.format.setProperty(QTextFormat::FullWidthSelection, true);
        selections.append(lit);
    }
    for (const OutputBox::MarkedLine &marked : std::as_const(m_marked)) {
        QTextEdit::ExtraSelection line;
        line.cursor = QTextCursor(document()->findBlockByNumber(marked.line));
        line.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        line.format.setForeground(textColour(marked.kind));
        // A selection of text paints its own background over the line's.
        line.format.setBackground(isCurrent(marked.line) ? light : palette().color(QPalette::Base));
        if (marked.kind == OutputBox::LineKind::Error)
            line.format.setFontWeight(QFont::Bold);
        selections.append(line);
    }
    setExtraSelections(selections);
}

void OutputView::paintIcons(QPaintEvent *event)
{
    QPainter painter(m_margin);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    for (const OutputBox::MarkedLine &marked : std::as_const(m_marked)) {
        const QTextBlock block = document()->findBlockByNumber(marked.line);
        if (!block.isValid() || !block.isVisible())
            continue;
        const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
        if (box.bottom() < event->rect().top() || box.top() > event->rect().bottom())
            continue;
        const int lineHeight = fontMetrics().height();
        const int top = int(box.top()) + std::max(0, (lineHeight - iconSize) / 2);
        style()->standardIcon(iconOf(marked.kind)).paint(&painter, 2, top, iconSize, iconSize);
    }
}

void OutputView::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    emit painted();
}

void OutputView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    m_margin->setGeometry(area.left(), area.top(), iconSize + 4, area.height());
}

void OutputView::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        emit lineActivated(textCursor().blockNumber());
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void OutputView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit lineActivated(cursorForPosition(event->position().toPoint()).blockNumber());
}
