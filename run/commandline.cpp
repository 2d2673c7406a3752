#include "commandline.h"

#include "platform/paths.h"

#include <QRegularExpression>

bool RunRequest::isOn(const QVariant &use)
{
    bool ok = false;
    const double value = use.toString().trimmed().toDouble(&ok);
    return ok && value == 1;
}

QString CommandLine::quoted(const QString &text)
{
    QString result;
    result.reserve(text.size() + 2);
    result += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == u'$' || c == u'`' || c == u'"' || c == u'\\')
            result += QLatin1Char('\\');
        result += c;
    }
    result += QLatin1Char('"');
    return result;
}

QString CommandLine::program(const QString &path)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+,:@%=-]+$"));
    return plain.match(path).hasMatch() ? path : quoted(path);
}

QString CommandLine::assemble(const RunRequest &r)
{
    if (r.A_appuse != 1)
        return program(r.A_clocation) + QLatin1Char(' ') + r.A_addparam;
    QString command = program(r.A_clocation) + QLatin1Char(' ');
    if (RunRequest::isOn(r.A_configuse) && !r.A_configf.isEmpty())
        command += r.A_config + quoted(r.A_configf) + QLatin1Char(' ');
    if (RunRequest::isOn(r.A_outputuse) && !r.A_output.isEmpty())
        command += r.A_output2 + quoted(r.A_output) + QLatin1Char(' ');
    if (RunRequest::isOn(r.A_adduse))
        command += r.A_addparam;
    if (!r.A_srcfile.isEmpty())
        command += r.A_srcparam + quoted(r.A_srcfile);
    return command;
}

QByteArray CommandLine::runBat(const RunRequest &request, const QString &command, const QString &output)
{
    const QString path = QStringLiteral("PATH=") + quoted(folderOf(request.A_clocation));
    const QString run = command + QStringLiteral(" > ") + quoted(output);
    return (path + QLatin1Char('\n') + run + QLatin1Char('\n')).toUtf8();
}

QStringList CommandLine::keywords(const QString &list)
{
    QStringList result = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (result.size() > 32)
        result.resize(32);
    return result;
}

QString CommandLine::foundKeyword(const QString &output, const QString &keywordList)
{
    for (const QString &keyword : keywords(keywordList)) {
        if (output.contains(keyword, Qt::CaseSensitive))
            return keyword;
    }
    return {};
}
