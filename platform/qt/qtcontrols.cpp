#include "qtcontrols.h"

#include <QPalette>

QColor toQColor(Colour colour)
{
    return QColor(Colours::red8(colour), Colours::green8(colour), Colours::blue8(colour));
}

Colour fromQColor(const QColor &colour)
{
    return Colours::fromRgb(colour.red(), colour.green(), colour.blue());
}

void QtLabel::setColours(Colour background, Colour text)
{
    m_background = background;
    m_text = text;
    QPalette palette = m_widget->palette();
    palette.setColor(QPalette::Window, toQColor(background));
    palette.setColor(QPalette::WindowText, toQColor(text));
    m_widget->setAutoFillBackground(true);
    m_widget->setPalette(palette);
}
