#pragma once

#include "platform/formwindow.h"

class FakeFormWindow : public FormWindow
{
public:
    void setTitle(const QString &title) override { m_title = title; }
    QString title() const override { return m_title; }
    WindowState state() const override { return m_state; }
    void setState(WindowState state) override
    {
        m_state = state;
        placementChanged();
    }
    TwipSize outerSize() const override { return m_size; }
    void setOuterSize(TwipSize size) override
    {
        // A minimised or maximised window keeps its size, as a real one does.
        if (m_state == WindowState::Normal)
            m_size = size;
        sizeRequests.append(size);
        placementChanged();
    }
    TwipPoint corner() const override { return m_position; }
    void moveTo(TwipPoint corner) override
    {
        m_position = corner;
        placementChanged();
    }
    void showWindow() override
    {
        m_shown = true;
        ++showCount;
    }
    bool isShown() const override { return m_shown; }
    void place(const QHash<QString, TwipRect> &geometry) override
    {
        for (auto it = geometry.begin(); it != geometry.end(); ++it)
            placed.insert(it.key(), it.value());
        ++placeCount;
    }
    void unload() override
    {
        unloaded = true;
        m_shown = false;
        if (m_closed)
            m_closed();
    }
    QList<TwipRect> screenAreas() const override { return screens; }
    void onPlacementChanged(std::function<void()> handler) override { m_placementChanged = std::move(handler); }
    void onClosed(std::function<void()> handler) override { m_closed = std::move(handler); }

    // A window manager maximising the window keeps its normal size aside
    // and shows the screen's; restoring puts the normal size back.
    void maximiseTo(TwipSize screen)
    {
        m_normalSize = m_size;
        m_size = screen;
        setState(WindowState::Maximised);
    }
    void restoreNormal()
    {
        m_size = m_normalSize;
        setState(WindowState::Normal);
    }

    QList<TwipRect> screens;

    QList<TwipSize> sizeRequests;
    QHash<QString, TwipRect> placed;
    int placeCount = 0;
    bool unloaded = false;
    int showCount = 0;

private:
    QString m_title;
    WindowState m_state = WindowState::Normal;
    TwipSize m_size{6660, 6480};
    TwipSize m_normalSize;
    TwipPoint m_position;
    bool m_shown = false;
    std::function<void()> m_placementChanged;
    std::function<void()> m_closed;

    void placementChanged()
    {
        if (m_placementChanged)
            m_placementChanged();
    }
};
