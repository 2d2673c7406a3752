#include "locationbuttons.h"

void LocationButtons::setSpecified(Location location, bool specified)
{
    if (Button *button = m_cmdLocate[size_t(location)])
        button->setBold(!specified);
}

void LocationButtons::documentIsNew()
{
    setSpecified(Location::Source, false);
    setSpecified(Location::Output, false);
}
