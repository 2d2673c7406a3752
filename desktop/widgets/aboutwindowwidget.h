#pragma once

#include "desktop/aboutwindow.h"
#include "platform/qt/qtcontrols.h"
#include "platform/qt/qtformwindow.h"

#include <QHash>
#include <QIcon>
#include <QWidget>

#include <memory>

// The About window "frmAbout": the program's icon and identity, the two
// buttons to KVN's web pages and the help text. Its behaviour is
// AboutWindow's; this only builds and forwards.
class AboutWindowWidget : public QWidget
{
    Q_OBJECT
public:
    explicit AboutWindowWidget(QWidget *parent = nullptr);

    AboutWindow::Controls controls()
    {
        return {m_frame, m_lblAbout, m_lblVersion, m_lbldate, m_lblCreator, m_cmdDownload, m_text1};
    }
    // Forwards the buttons to about; a close by the user calls closed.
    void connectTo(AboutWindow &about, std::function<void()> closed);

    QtFormWindow &frame() { return m_frame; }

    // KVN's icon, drawn from the SVG built into the program.
    static QIcon icon();

    // Makes a fresh About window for the Help command; it is deleted when
    // the command lets it go.
    static std::unique_ptr<AboutWindowView> make();

    static constexpr TwipSize frameAllowance{105, 450};

protected:
    void closeEvent(QCloseEvent *event) override;
    // Escape closes the window, as it closes a dialog.
    void keyPressEvent(QKeyEvent *event) override;

private:
    QHash<QString, QWidget *> m_widgets;
    QtFormWindow m_frame;
    QtLabel m_lblAbout;
    QtLabel m_lblVersion;
    QtLabel m_lbldate;
    QtLabel m_lblCreator;
    QtControl<QPushButton> m_cmdDownload;
    QtTextView m_text1;
    std::function<void()> m_closed;
    bool m_unloading = false;
};
