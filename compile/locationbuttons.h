#pragma once

#include "compilestate.h"

#include "editor/sourcelink.h"
#include "platform/controls.h"

#include <array>

// The weights of the four location buttons: bold while no file is
// specified for a location, regular once one is.
class LocationButtons : public SourceLink
{
public:
    explicit LocationButtons(std::array<Button *, 4> cmdLocate) : m_cmdLocate(cmdLocate) {}

    void setSpecified(Location location, bool specified);
    void documentIsNew() override;

private:
    std::array<Button *, 4> m_cmdLocate;
};
