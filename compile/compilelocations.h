#pragma once

#include "compilestate.h"
#include "optionlist.h"
#include "settingswriter.h"

#include "editor/sourcelink.h"
#include "platform/controls.h"
#include "platform/filedialogs.h"
#include "platform/filesystem.h"
#include "platform/messages.h"

#include <array>

// The four files of the next compile (compiler, source, output and
// configuration or response file) and their buttons, which show in bold
// while no file is specified for a location and in regular weight once one
// is. A file is located by a question and a dialog, by a drop on its
// button, or cleared.
class CompileLocations : public SourceLink
{
public:
    struct Services
    {
        Messages &messages;
        FileDialogs &dialogs;
        FileSystem &files;
        SettingsWriter &settings;
        OptionList &options;
    };

    CompileLocations(CompileState &state, std::array<Button *, 4> cmdLocate, Services services);

    void setDefaultCompilerPath(const QString &path) { m_defaultCompilerPath = path; }
    void setSpecified(Location location, bool specified);

    void cmdLocate_Click(int index);
    void mnuCompileOpt_Click(int index) { cmdLocate_Click(index); }
    // Files dropped on a location button; the first one counts.
    void cmdLocate_OLEDragDrop(int index, const QStringList &files);
    void cmdClrEntry_Click(int index);

    void documentIsNew() override;
    void documentOpened(const QString &path) override;
    void documentSaved(const QString &path) override;
    void forceCppCompile() override;

    // The option "-P": compile as C++ whatever the file's extension.
    static constexpr int forceCppOption = 1;
    static QString filter(Location location);

private:
    QString &path(Location location);
    QString caption(Location location) const;
    void error(const QString &text);

    CompileState &m_state;
    std::array<Button *, 4> m_cmdLocate;
    Services m_services;
    QString m_defaultCompilerPath;
};
