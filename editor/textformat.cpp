#include "textformat.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");

QByteArray lineEndBytes(TextFormat::LineEnding ending)
{
    switch (ending) {
    case TextFormat::LineEnding::CrLf: return QByteArrayLiteral("\r\n");
    case TextFormat::LineEnding::Cr: return QByteArrayLiteral("\r");
    case TextFormat::LineEnding::Lf: break;
    }
    return QByteArrayLiteral("\n");
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
    // One pass into a buffer of the final size: every lone CR or LF grows by one.
    QString text(size + lf + cr, Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c == u'\r' || c == u'\n') {
            *out++ = u'\r';
            *out++ = u'\n';
            if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
                ++i;
        } else {
            *out++ = c;
        }
    }
    raw.clear();
    result.text = std::move(text);
    return result;
}

namespace {

// Editor bytes (UTF-8 or Latin-1) with their line ends turned into the
// file's, and the final line end added when it is wanted. Every line end of
// the editor is CR LF; a lone CR or LF that an edit may have left is a line
// end too, so the file never holds more than one kind. CR and LF never occur
// inside a multi-byte UTF-8 sequence, so bytes serve.
QByteArray withLineEnds(const QByteArray &bytes, const TextFormat &format)
{
    const QByteArray ending = lineEndBytes(format.lineEnding);
    QByteArray out;
    out.reserve(bytes.size() + (format.lineEnding == TextFormat::LineEnding::CrLf ? bytes.size() / 64 + 2 : 2));
    const char *in = bytes.constData();
    const char *const end = in + bytes.size();
    // The next CR and the next LF are each found with memchr, which is many
    // times quicker than a byte loop over a large file.
    const auto next = [end](const char *from, char c) {
        const void *found = from < end ? std::memchr(from, c, size_t(end - from)) : nullptr;
        return found ? static_cast<const char *>(found) : end;
    };
    const char *cr = next(in, '\r');
    const char *lf = next(in, '\n');
    const char *runStart = in;
    while (cr != end || lf != end) {
        const char *at = std::min(cr, lf);
        out.append(runStart, at - runStart);
        out.append(ending);
        runStart = (at == cr && lf != end && lf == cr + 1) ? cr + 2 : at + 1;
        if (cr < runStart)
            cr = next(runStart, '\r');
        if (lf < runStart)
            lf = next(runStart, '\n');
    }
    out.append(runStart, end - runStart);
    if (format.finalLineEnd && !out.isEmpty() && !out.endsWith(ending))
        out += ending;
    return out;
}

} // namespace

TextCodec::Encoded TextCodec::encode(const QString &text, const TextFormat &format)
{
    if (format.encoding == TextFormat::Encoding::Latin1) {
        const bool fits = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
        if (fits)
            return {withLineEnds(text.toLatin1(), format), false};
    }
    TextFormat utf8 = format;
    utf8.encoding = TextFormat::Encoding::Utf8;
    Encoded result = encodeUtf8(text.toUtf8(), utf8);
    result.switchedToUtf8 = format.encoding == TextFormat::Encoding::Latin1;
    return result;
}

TextCodec::Encoded TextCodec::encodeUtf8(const QByteArray &utf8, const TextFormat &format)
{
    if (format.encoding == TextFormat::Encoding::Latin1)
        return encode(QString::fromUtf8(utf8), format);
    Encoded result;
    if (format.byteOrderMark)
        result.bytes = utf8Bom;
    result.bytes += withLineEnds(utf8, format);
    return result;
}
