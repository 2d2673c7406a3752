#pragma once

#include "platform/filesystem.h"
#include "platform/messages.h"
#include "platform/registry.h"

#include <QString>

// The arguments of one CreateFileAss call. The call rewrites Extension
// (a "." put in front), Action (the whole command key path) and Switch
// (trimmed, one space in front) in place, as its callers have always been
// able to read back.
struct FileAssociationRequest
{
    QString Extension;    // with or without the leading "."
    QString FileType;     // name of the file-type key
    QString FileTypeName; // display name of the file type
    QString Action;       // the verb, the key under "\shell\"
    QString AppPath;      // the program to start
    QString Switch;       // put between the program and " %1"; empty for none
    bool SetIcon = false;
    QString DefaultIcon;  // empty: AppPath + ",0"
    bool PromptOnError = false;
};

// Records a program as the opener of one file extension in the key store:
// the extension key naming the file type, the file type's display name,
// an optional icon and the command of one verb. All keys lie under the
// classes root and every value is the key's default value.
class FileAssociation
{
public:
    struct Services
    {
        Registry &registry;
        FileSystem &files;
        Messages &messages;
    };

    explicit FileAssociation(Services services) : m_services(services) {}

    // True when every key and value was written. Nothing is written for a
    // missing program, an empty extension or one with an illegal character.
    bool CreateFileAss(FileAssociationRequest &request);

    // True when the key exists or was created.
    bool CreateRegKey(RegistryRoot root, const QString &path);
    // True when the default value of the existing key was set.
    bool SetRegValue(RegistryRoot root, const QString &path, const QString &value);

    // Whether the three procedures report failures in message boxes; set by
    // every CreateFileAss call.
    bool PromptOnError = false;

    // \ / : * ? < > | and the double quote.
    static bool isIllegal(QChar c);

private:
    Services m_services;
};
