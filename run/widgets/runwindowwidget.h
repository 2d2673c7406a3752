#pragma once

#include "platform/qt/qtcontrols.h"
#include "platform/qt/outputview.h"
#include "platform/qt/qtformwindow.h"
#include "platform/qt/qttimer.h"
#include "run/runwindow.h"

#include <QWidget>

class QPushButton;

// The run window "Run 1.2": the compiler's output and the buttons under it.
// Its behaviour is RunWindow's; this only builds and forwards.
class RunWindowWidget : public QWidget
{
    Q_OBJECT
public:
    explicit RunWindowWidget(QWidget *parent = nullptr);

    RunWindow::Controls controls() { return {m_frame, m_text1, m_verdict, m_stop, m_timer}; }
    // Forwards the window's events and buttons to the run's logic.
    void connectTo(RunWindow &run);

    QtFormWindow &frame() { return m_frame; }
    OutputView *output() const { return m_text1.widget(); }
    static constexpr TwipSize frameAllowance{105, 450};

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QHash<QString, QWidget *> m_widgets;
    QtFormWindow m_frame;
    QtOutputBox m_text1;
    QtLabel m_verdict;
    QtButton m_stop;
    QtTimer m_timer;
    RunWindow *m_run = nullptr;
    bool m_unloading = false;
};
