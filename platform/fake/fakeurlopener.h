#pragma once

#include "platform/urlopener.h"

#include <QStringList>

// Records every address it is asked to open; refuses them all after
// refuseAll().
class FakeUrlOpener : public UrlOpener
{
public:
    bool open(const QString &address) override
    {
        opened.append(address);
        return !m_refuse;
    }
    void refuseAll() { m_refuse = true; }

    QStringList opened;

private:
    bool m_refuse = false;
};
