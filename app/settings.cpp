#include "settings.h"

#include <QList>
#include <QStringDecoder>

#include <cmath>
#include <optional>

namespace {

std::optional<double> toNumber(const QString &field)
{
    bool ok = false;
    const double value = field.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<bool> toSwitch(const QString &field)
{
    const QString word = field.toLower();
    if (word == QLatin1String("true") || word == QLatin1String("#true#"))
        return true;
    if (word == QLatin1String("false") || word == QLatin1String("#false#"))
        return false;
    if (const std::optional<double> value = toNumber(field))
        return *value != 0;
    return std::nullopt;
}

std::optional<Colour> toColour(const QString &field)
{
    const std::optional<double> value = toNumber(field);
    if (!value)
        return std::nullopt;
    const double rounded = std::round(*value);
    if (rounded < 0 || rounded > Colours::maximum)
        return std::nullopt;
    return Colour(rounded);
}

std::optional<double> toFontSize(const QString &field)
{
    const std::optional<double> value = toNumber(field);
    if (!value || *value <= 0)
        return std::nullopt;
    return *value;
}

QString decode(const QByteArray &bytes)
{
    // Paths are written as UTF-8; anything else keeps its bytes as Latin-1.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace

QByteArray SettingsFormat::number(qint64 value)
{
    const QByteArray digits = QByteArray::number(value);
    return value < 0 ? digits + ' ' : ' ' + digits + ' ';
}

QByteArray SettingsFormat::write(const Settings &settings)
{
    const auto word = [](bool on) { return on ? QByteArrayLiteral("True") : QByteArrayLiteral("False"); };
    const QList<QByteArray> lines = {
        number(qint64(std::floor(settings.fontSize))),
        word(settings.fileSavedConfirmation),
        word(settings.deleteIntermediates),
        settings.CompilerPath.toUtf8(),
        settings.configf.toUtf8(),
        number(settings.colours.FSaveB_Y),
        number(settings.colours.FSaveT_Y),
        number(settings.colours.FSaveB_N),
        number(settings.colours.FSaveT_N),
    };
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

Settings SettingsFormat::read(const QByteArray &bytes, const Settings &defaults)
{
    // Each line is one field, taken whole, so a path with a comma or a
    // quote reads back as it was written.
    QString text = decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList fields = text.split(QLatin1Char('\n'));
    for (QString &field : fields)
        field = field.trimmed();
    const auto field = [&fields](int i) { return i < fields.size() ? fields.at(i) : QString(); };

    Settings settings = defaults;
    settings.fontSize = toFontSize(field(0)).value_or(defaults.fontSize);
    settings.fileSavedConfirmation = toSwitch(field(1)).value_or(defaults.fileSavedConfirmation);
    settings.deleteIntermediates = toSwitch(field(2)).value_or(defaults.deleteIntermediates);
    if (fields.size() > 3)
        settings.CompilerPath = field(3);
    if (fields.size() > 4)
        settings.configf = field(4);
    settings.colours.FSaveB_Y = toColour(field(5)).value_or(defaults.colours.FSaveB_Y);
    settings.colours.FSaveT_Y = toColour(field(6)).value_or(defaults.colours.FSaveT_Y);
    settings.colours.FSaveB_N = toColour(field(7)).value_or(defaults.colours.FSaveB_N);
    settings.colours.FSaveT_N = toColour(field(8)).value_or(defaults.colours.FSaveT_N);
    return settings;
}
