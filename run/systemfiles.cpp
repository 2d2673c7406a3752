#include "systemfiles.h"

#include <QDir>
#include <QStringList>

namespace {
bool isUnder(const QString &path, const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QString withSlash = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(withSlash);
}

// The compiler's installation: the folder above its bin folder.
QString installationOf(const QString &compilerPath)
{
    const QString clean = QDir::cleanPath(compilerPath);
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return {};
    const QString bin = clean.left(slash);
    const qsizetype above = bin.lastIndexOf(QLatin1Char('/'));
    // A compiler straight under / has no installation of its own to tell
    // apart from the whole system.
    return above > 0 ? bin.left(above) : QString();
}
} // namespace

bool SystemFiles::contains(const QString &path, const QString &sourceFolder, const QString &compilerPath)
{
    if (!QDir::isAbsolutePath(path))
        return false;
    // "/usr/bin/../lib/gcc/x86_64-linux-gnu/12/../../../../include/c++/12/..."
    // is /usr/include.
    const QString clean = QDir::cleanPath(path);
    if (!sourceFolder.isEmpty() && isUnder(clean, QDir::cleanPath(sourceFolder)))
        return false;
    static const QStringList systemFolders = {
        QStringLiteral("/usr/include"),   QStringLiteral("/usr/local/include"), QStringLiteral("/usr/lib"),
        QStringLiteral("/usr/lib32"),     QStringLiteral("/usr/lib64"),         QStringLiteral("/usr/libx32"),
        QStringLiteral("/usr/local/lib"), QStringLiteral("/usr/libexec"),       QStringLiteral("/usr/share"),
        QStringLiteral("/lib"),           QStringLiteral("/lib32"),             QStringLiteral("/lib64"),
    };
    for (const QString &folder : systemFolders) {
        if (isUnder(clean, folder))
            return true;
    }
    // A compiler in the user's own bin folder makes no installation of
    // the folder above it: that folder holds the user's work too.
    const QString installation = installationOf(compilerPath);
    if (installation.isEmpty() || (!sourceFolder.isEmpty() && isUnder(QDir::cleanPath(sourceFolder), installation))
        || installation == QDir::cleanPath(QDir::homePath()))
        return false;
    for (const char *inside : {"include", "lib", "lib64", "libexec", "share/kvn"}) {
        if (isUnder(clean, installation + QLatin1Char('/') + QLatin1String(inside)))
            return true;
    }
    return false;
}
