#pragma once

#include <QString>

// Who the About window says the program is. AppID chooses its buttons.
struct AboutIdentity
{
    int AppID = 0;
    QString AppName;
    QString AppVersion;
    QString AppDate;
};
