#pragma once

// The settings file as the Compile panel needs it: the compiler and the
// configuration file are kept there.
class SettingsWriter
{
public:
    virtual ~SettingsWriter() = default;
    // Whether the settings file exists; true when that cannot be told.
    virtual bool settingsFileExists() = 0;
    // Writes every setting as it stands now.
    virtual void SaveSettings() = 0;
};
