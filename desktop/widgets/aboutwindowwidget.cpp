#include "aboutwindowwidget.h"

#include "platform/qt/namedwidget.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace {

QPlainTextEdit *helpBox(QWidget *parent)
{
    auto *box = new QPlainTextEdit(parent);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(9);
    box->setFont(font);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return box;
}

// The window as the Help command holds it. Letting go of it deletes the
// widget once the event that closed it has been handled.
class AboutView : public AboutWindowView
{
public:
    AboutView() : m_widget(new AboutWindowWidget) {}
    ~AboutView() override
    {
        if (m_widget) {
            m_widget->hide();
            m_widget->deleteLater();
        }
    }
    AboutWindow::Controls controls() override { return m_widget->controls(); }
    void connectTo(AboutWindow &about, std::function<void()> closed) override
    {
        m_widget->connectTo(about, std::move(closed));
    }

private:
    QPointer<AboutWindowWidget> m_widget;
};

} // namespace

AboutWindowWidget::AboutWindowWidget(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_frame(this, this, frameAllowance)
    , m_lblAbout(named(m_widgets, "lblAbout", new QLabel(QStringLiteral("About [appname]"), this)))
    , m_lblVersion(named(m_widgets, "lblVersion", new QLabel(QStringLiteral("Version: [appversion]"), this)))
    , m_lbldate(named(m_widgets, "lbldate", new QLabel(QStringLiteral("Release Date: [appdate]"), this)))
    , m_lblCreator(named(m_widgets, "lblCreator", new QLabel(QStringLiteral("Created by:"), this)))
    , m_cmdDownload(named(m_widgets, "cmdDownload", new QPushButton(QStringLiteral("&Download Fennick Profiles"), this)))
    , m_text1(named(m_widgets, "Text1", helpBox(this)))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(icon());
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont uiFont = font();
    uiFont.setPointSize(8);
    setFont(uiFont);

    QFont titleFont = uiFont;
    titleFont.setPointSize(11);
    titleFont.setWeight(QFont::Bold);
    m_lblAbout.widget()->setFont(titleFont);

    auto *picture = named(m_widgets, "Picture1", new QLabel(this));
    picture->setPixmap(icon().pixmap(32, 32));
    picture->setFixedSize(32, 32);

    auto *zorbel = named(m_widgets, "cmd_zorbel", new QPushButton(QStringLiteral("Zorbel"), this));
    zorbel->setToolTip(QStringLiteral("Click here to go to Zorbel website!"));
    auto *help = named(m_widgets, "cmd_Help", new QPushButton(QStringLiteral("Online &Help"), this));
    help->setToolTip(QStringLiteral("Click here to go to online help!"));
    for (QPushButton *button : {zorbel, help, m_cmdDownload.widget()})
        button->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(m_lblAbout.widget(), 0, 1);
    grid->addWidget(m_lblVersion.widget(), 1, 1);
    grid->addWidget(m_lbldate.widget(), 2, 1);
    grid->addWidget(m_lblCreator.widget(), 3, 1);
    grid->addWidget(zorbel, 0, 2);
    grid->addWidget(help, 1, 2);
    grid->addWidget(m_cmdDownload.widget(), 2, 2);
    grid->addWidget(m_text1.widget(), 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    grid->setHorizontalSpacing(12);

    m_frame.setControls(&m_widgets);
    m_frame.onUnload([this] {
        m_unloading = true;
        hide();
        m_unloading = false;
    });
    m_frame.setOuterSize(AboutWindow::initialSize);
}

QIcon AboutWindowWidget::icon()
{
    return QIcon(QStringLiteral(":/kvn/kvn.svg"));
}

std::unique_ptr<AboutWindowView> AboutWindowWidget::make()
{
    return std::make_unique<AboutView>();
}

void AboutWindowWidget::connectTo(AboutWindow &about, std::function<void()> closed)
{
    const auto onClick = [this](const char *name, auto handler) {
        connect(qobject_cast<QPushButton *>(m_widgets.value(QString::fromUtf8(name))), &QPushButton::clicked, this,
                handler);
    };
    onClick("cmd_zorbel", [&about] { about.cmd_zorbel_Click(); });
    onClick("cmd_Help", [&about] { about.cmd_Help_Click(); });
    onClick("cmdDownload", [&about] { about.cmdDownload_Click(); });
    m_closed = std::move(closed);
}

void AboutWindowWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AboutWindowWidget::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // A close by the user unloads the window; the Help command then lets go
    // of it, and it is deleted after this event.
    if (!m_unloading && m_closed) {
        const std::function<void()> closed = std::move(m_closed);
        closed();
    }
}
