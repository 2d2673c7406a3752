#pragma once

#include <QProxyStyle>

// The application's style: the platform's own in everything but its
// standard icons, which are read from their image files only when first
// drawn. Reading any image file makes Qt load every image-format plugin
// (SVG, JPEG, GIF, ICO and the libraries behind them), and the menu bar
// asks for its overflow icon the moment it is made, long before it ever
// shows it; so would a hidden panel's button.
class DeferredIconStyle : public QProxyStyle
{
public:
    // Over base, which the style then owns; over the platform's default
    // style without one.
    explicit DeferredIconStyle(QStyle *base = nullptr);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
