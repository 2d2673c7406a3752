#pragma once

#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

class QtClipboard : public Clipboard
{
public:
    void setText(const QString &text) override { QGuiApplication::clipboard()->setText(text); }
    QString text() const override { return QGuiApplication::clipboard()->text(); }
};
