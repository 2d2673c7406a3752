#pragma once

#include "compile/compilelocations.h"
#include "compile/optioncatalogue.h"
#include "compile/optionlist.h"
#include "platform/fake/fakecontrols.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakemessages.h"

#include <array>

// A settings file that only counts what was asked of it.
struct FakeSettingsWriter : SettingsWriter
{
    bool exists = false;
    int writes = 0;
    bool settingsFileExists() override { return exists; }
    void SaveSettings() override
    {
        ++writes;
        exists = true;
    }
};

// The Compile panel's state, list and location buttons over fakes, sharing
// the services a test hands in.
struct CompileFixture
{
    CompileFixture(FakeMessages &messages, FakeFileDialogs &dialogs, FakeFileSystem &files)
        : optionList(compile.options, List1, messages)
        , locations(compile, {&buttons[0], &buttons[1], &buttons[2], &buttons[3]},
                    {messages, dialogs, files, settings, optionList})
    {
        compile.options.reset();
        List1.onItemCheck = [this](int index) { optionList.List1_ItemCheck(index); };
        for (Button *button : {&buttons[1], &buttons[2], &buttons[3]})
            button->setBold(true);
        locations.setDefaultCompilerPath(QStringLiteral("/usr/bin/kvncc"));
    }
    CompileFixture(const CompileFixture &) = delete;
    CompileFixture &operator=(const CompileFixture &) = delete;

    CompileState compile;
    FakeCheckList List1{OptionCatalogue::items()};
    std::array<FakeButton, 4> buttons{FakeButton(QStringLiteral("Compiler location")),
                                      FakeButton(QStringLiteral("Source file location")),
                                      FakeButton(QStringLiteral("Output file location")),
                                      FakeButton(QStringLiteral("Configuration/Response file location"))};
    FakeSettingsWriter settings;
    OptionList optionList;
    CompileLocations locations;
};
