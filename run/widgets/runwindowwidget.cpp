#include "runwindowwidget.h"

#include "platform/qt/namedwidget.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace {
QLabel *verdictLine(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = label->font();
    font.setWeight(QFont::Bold);
    label->setFont(font);
    return label;
}
} // namespace

RunWindowWidget::RunWindowWidget(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_frame(this, this, frameAllowance)
    , m_text1(named(m_widgets, "Text1", new OutputView(this)))
    , m_verdict(named(m_widgets, "lblVerdict", verdictLine(this)))
    , m_stop(named(m_widgets, "cmdStop", new QPushButton(QStringLiteral("S&top compiler"), this)))
{
    setObjectName(QStringLiteral("frmRun"));
    setWindowTitle(QStringLiteral("Run 1.2"));
    QFont uiFont = font();
    uiFont.setPointSize(8);
    setFont(uiFont);
    named(m_widgets, "cmdCopy", new QPushButton(QStringLiteral("&Copy to clipboard"), this));
    named(m_widgets, "cmdSave", new QPushButton(QStringLiteral("&Save to text"), this));
    m_stop.widget()->setToolTip(QStringLiteral("End the compiler and everything it started"));
    m_frame.setControls(&m_widgets);
    m_frame.onUnload([this] {
        m_unloading = true;
        hide();
        m_unloading = false;
    });
    m_frame.setOuterSize(RunWindow::initialSize);
}

void RunWindowWidget::connectTo(RunWindow &run)
{
    m_run = &run;
    connect(qobject_cast<QPushButton *>(m_widgets.value(QStringLiteral("cmdCopy"))), &QPushButton::clicked, this,
            [&run] { run.cmdCopy_Click(); });
    connect(qobject_cast<QPushButton *>(m_widgets.value(QStringLiteral("cmdSave"))), &QPushButton::clicked, this,
            [&run] { run.cmdSave_Click(); });
    connect(m_stop.widget(), &QPushButton::clicked, this, [&run] { run.cmdStop_Click(); });
    // Queued: the logic is not called from inside the paint.
    connect(output(), &OutputView::painted, this, [&run] { run.Text1_Painted(); }, Qt::QueuedConnection);
    run.measureVerdict([label = m_verdict.widget()](int width) {
        return Twips::fromPixels(label->heightForWidth(Twips::toPixels(width)));
    });
    run.Form_Resize();
}

void RunWindowWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_run)
        m_run->Form_Resize();
}

void RunWindowWidget::closeEvent(QCloseEvent *event)
{
    // Closing by the window manager unloads the window; the run, if one is
    // going on, carries on and reports when it ends.
    if (m_run && !m_unloading) {
        event->ignore();
        m_run->Form_Unload();
        return;
    }
    QWidget::closeEvent(event);
}
