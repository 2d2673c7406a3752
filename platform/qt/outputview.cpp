#include "outputview.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocumentFragment>

namespace {
constexpr int iconSize = 14;

// Qt wraps a line wherever Unicode allows a break: between the two plus
// signs of "g++", after a slash or a hyphen. A zero-width word joiner at
// each such place inside a word leaves the spaces as the only places to
// wrap; a word longer than a whole line still breaks where the line ends.
constexpr char16_t wordJoiner = 0x2060;

QString joinedWords(const QString &text)
{
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    QString joined;
    joined.reserve(text.size() + text.size() / 8);
    qsizetype from = 0;
    for (qsizetype at = breaks.toNextBoundary(); at > 0 && at < text.size(); at = breaks.toNextBoundary()) {
        if (!(breaks.boundaryReasons() & QTextBoundaryFinder::BreakOpportunity) || text[at - 1].isSpace()
            || text[at].isSpace()) {
            continue;
        }
        joined += QStringView(text).mid(from, at - from);
        joined += QChar(wordJoiner);
        from = at;
    }
    joined += QStringView(text).mid(from);
    return joined;
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

OutputView::OutputView(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_margin(new IconMargin(this))
{
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
    setPlainText(joinedWords(text));
}

QString OutputView::output() const
{
    return toPlainText().remove(QChar(wordJoiner));
}

QMimeData *OutputView::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    data->setText(textCursor().selection().toPlainText().remove(QChar(wordJoiner)));
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
