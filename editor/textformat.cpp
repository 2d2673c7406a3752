#include "textformat.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");

QString lineEndText(TextFormat::LineEnding ending)
{
    switch (ending) {
    case TextFormat::LineEnding::CrLf: return QStringLiteral("\r\n");
    case TextFormat::LineEnding::Cr: return QStringLiteral("\r");
    case TextFormat::LineEnding::Lf: break;
    }
    return QStringLiteral("\n");
}

} // namespace

DecodedText TextCodec::decode(const QByteArray &bytes)
{
    DecodedText result;
    QByteArrayView body(bytes);
    if (bytes.startsWith(utf8Bom)) {
        result.format.byteOrderMark = true;
        body = body.sliced(utf8Bom.size());
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString raw = utf8.decode(body);
    if (utf8.hasError()) {
        result.format.encoding = TextFormat::Encoding::Latin1;
        result.format.byteOrderMark = false;
        raw = QString::fromLatin1(bytes);
    }

    qsizetype crlf = 0, lf = 0, cr = 0;
    const QChar *data = raw.constData();
    const qsizetype size = raw.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == u'\r') {
            if (i + 1 < size && data[i + 1] == u'\n') {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
        } else if (data[i] == u'\n') {
            ++lf;
        }
    }
    const int kinds = (crlf > 0) + (lf > 0) + (cr > 0);
    result.format.mixedLineEnds = kinds > 1;
    if (crlf >= lf && crlf >= cr && crlf > 0)
        result.format.lineEnding = TextFormat::LineEnding::CrLf;
    else if (cr > lf)
        result.format.lineEnding = TextFormat::LineEnding::Cr;
    else
        result.format.lineEnding = TextFormat::LineEnding::Lf;
    result.format.finalLineEnd = size == 0 || data[size - 1] == u'\n' || data[size - 1] == u'\r';

    if (lf == 0 && cr == 0) {
        result.text = std::move(raw);
        return result;
    }
    QString text;
    text.reserve(size + lf + cr);
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c == u'\r') {
            text += QStringLiteral("\r\n");
            if (i + 1 < size && data[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            text += QStringLiteral("\r\n");
        } else {
            text += c;
        }
    }
    result.text = std::move(text);
    return result;
}

TextCodec::Encoded TextCodec::encode(const QString &text, const TextFormat &format)
{
    QString out = text;
    if (format.lineEnding != TextFormat::LineEnding::CrLf)
        out.replace(QStringLiteral("\r\n"), lineEndText(format.lineEnding));
    const QString ending = lineEndText(format.lineEnding);
    if (format.finalLineEnd && !out.isEmpty() && !out.endsWith(ending))
        out += ending;

    Encoded result;
    if (format.encoding == TextFormat::Encoding::Latin1) {
        const bool fits = std::all_of(out.cbegin(), out.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
        if (fits) {
            result.bytes = out.toLatin1();
            return result;
        }
        result.switchedToUtf8 = true;
    }
    if (format.byteOrderMark)
        result.bytes = utf8Bom;
    result.bytes += out.toUtf8();
    return result;
}
