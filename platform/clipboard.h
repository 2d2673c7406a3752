#pragma once

#include <QString>

class Clipboard
{
public:
    virtual ~Clipboard() = default;
    // Replaces whatever the clipboard held with plain text.
    virtual void setText(const QString &text) = 0;
    virtual QString text() const = 0;
};
