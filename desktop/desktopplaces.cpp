#include "desktopplaces.h"

#include "platform/paths.h"

#include <QDir>
#include <QUrl>

#ifndef KVN_INSTALLED_DATA
#define KVN_INSTALLED_DATA "../share/kvn"
#endif

QStringList DesktopPlaces::dataFolderCandidates(const QString &programFolder)
{
    return {QDir::cleanPath(programFolder + QStringLiteral("/share/kvn")),
            QDir::cleanPath(programFolder + QLatin1Char('/') + QStringLiteral(KVN_INSTALLED_DATA))};
}

QString DesktopPlaces::xdgHome(const QString &value, const QString &home, const QString &fallback)
{
    if (QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(home + QLatin1Char('/') + fallback);
}

DesktopPlaces DesktopPlaces::find(const QString &programPath, const QProcessEnvironment &environment, const Exists &exists)
{
    DesktopPlaces places;
    places.programPath = programPath;
    for (const QString &candidate : dataFolderCandidates(folderOf(programPath))) {
        if (exists(candidate + QLatin1Char('/') + marker())) {
            places.dataFolder = candidate;
            break;
        }
    }
    if (!places.dataFolder.isEmpty()) {
        const QString icon = QDir::cleanPath(places.dataFolder + QStringLiteral("/../icons/hicolor/scalable/apps/kvn.svg"));
        if (exists(icon))
            places.iconFile = icon;
    }
    const QString home = environment.value(QStringLiteral("HOME"), QDir::homePath());
    places.dataHome = xdgHome(environment.value(QStringLiteral("XDG_DATA_HOME")), home, QStringLiteral(".local/share"));
    places.configHome = xdgHome(environment.value(QStringLiteral("XDG_CONFIG_HOME")), home, QStringLiteral(".config"));
    return places;
}

QString DesktopPlaces::siteUrl() const
{
    if (dataFolder.isEmpty())
        return {};
    return QUrl::fromLocalFile(dataFolder + QStringLiteral("/web/")).toString(QUrl::FullyEncoded);
}
