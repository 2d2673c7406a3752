#include "compilelocations.h"

#include "editor/outputpath.h"

CompileLocations::CompileLocations(CompileState &state, std::array<Button *, 4> cmdLocate)
    : m_state(state)
    , m_cmdLocate(cmdLocate)
{
}

void CompileLocations::setSpecified(Location location, bool specified)
{
    if (Button *button = m_cmdLocate[size_t(location)])
        button->setBold(!specified);
}

void CompileLocations::documentIsNew()
{
    setSpecified(Location::Source, false);
    setSpecified(Location::Output, false);
}

void CompileLocations::documentOpened(const QString &path)
{
    documentSaved(path);
    setSpecified(Location::Source, true);
    setSpecified(Location::Output, true);
}

void CompileLocations::documentSaved(const QString &path)
{
    m_state.srcfile = path;
    m_state.newpath = outputPathFor(path);
}

void CompileLocations::forceCppCompile()
{
    m_state.options.setTicked(forceCppOption, true);
}
