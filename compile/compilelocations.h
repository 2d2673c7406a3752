#pragma once

#include "compilestate.h"

#include "editor/sourcelink.h"
#include "platform/controls.h"

#include <array>

// The four files of the next compile as the location buttons show them:
// bold while no file is specified for a location, regular once one is.
class CompileLocations : public SourceLink
{
public:
    CompileLocations(CompileState &state, std::array<Button *, 4> cmdLocate);

    void setSpecified(Location location, bool specified);

    void documentIsNew() override;
    void documentOpened(const QString &path) override;
    void documentSaved(const QString &path) override;
    void forceCppCompile() override;

    // The option "-P": compile as C++ whatever the file's extension.
    static constexpr int forceCppOption = 1;

private:
    CompileState &m_state;
    std::array<Button *, 4> m_cmdLocate;
};
