#pragma once

#include "platform/urlopener.h"

// Opens addresses with the desktop's own handler (xdg-open and the user's
// default browser for web pages and HTML files).
class QtUrlOpener : public UrlOpener
{
public:
    bool open(const QString &address) override;
};
