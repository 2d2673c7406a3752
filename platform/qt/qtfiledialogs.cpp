#include "qtfiledialogs.h"

#include "qtcontrols.h"

#include <QColorDialog>
#include <QFileDialog>

QStringList QtFileDialogs::qtFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            // "*.*" means every file, with or without a dot.
            if (pattern.trimmed() == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        result.append(QStringLiteral("%1 (%2)").arg(parts.at(i), patterns.join(QLatin1Char(' '))));
    }
    return result;
}

static std::optional<FileDialogs::SavePick> runFileDialog(QWidget *parent, QFileDialog::AcceptMode mode,
                                                           const QString &filter, int filterIndex,
                                                           const QString &startFolder = {})
{
    QFileDialog dialog(parent);
    if (!startFolder.isEmpty())
        dialog.setDirectory(startFolder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = QtFileDialogs::qtFilters(filter);
    dialog.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(filterIndex - 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return FileDialogs::SavePick{dialog.selectedFiles().first(), int(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

std::optional<QString> QtFileDialogs::openFile(const QString &filter, int filterIndex, const QString &startFolder)
{
    const std::optional<SavePick> pick = runFileDialog(m_parent, QFileDialog::AcceptOpen, filter, filterIndex, startFolder);
    if (!pick)
        return std::nullopt;
    return pick->path;
}

std::optional<FileDialogs::SavePick> QtFileDialogs::saveFile(const QString &filter, int filterIndex)
{
    return runFileDialog(m_parent, QFileDialog::AcceptSave, filter, filterIndex);
}

std::optional<Colour> QtFileDialogs::chooseColour(Colour initial)
{
    const QColor chosen = QColorDialog::getColor(toQColor(initial), m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    return fromQColor(chosen);
}
