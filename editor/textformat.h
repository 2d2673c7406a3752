#pragma once

#include <QByteArray>
#include <QString>

// How a source file's text is laid out in bytes, so that it can be written
// back exactly as it was read. Inside the editor every line ends in CR LF.
struct TextFormat
{
    enum class Encoding { Utf8, Latin1 };
    enum class LineEnding { CrLf, Lf, Cr };

    Encoding encoding = Encoding::Utf8;
    bool byteOrderMark = false;
    LineEnding lineEnding = LineEnding::Lf;
    // Whether the last line ends with a line break. A file read without one
    // is written back without one; a new document gets one.
    bool finalLineEnd = true;
    // The file had more than one kind of line end; it is written back with
    // the commonest.
    bool mixedLineEnds = false;

    friend bool operator==(const TextFormat &, const TextFormat &) = default;
};

struct DecodedText
{
    QString text; // every line end as CR LF
    TextFormat format;
};

namespace TextCodec {
// Reads a file's bytes: UTF-8 when they are valid UTF-8 (a byte-order mark
// is noted and dropped), Latin-1 otherwise, which keeps every byte. CR LF,
// lone LF and lone CR all become CR LF.
DecodedText decode(const QByteArray &bytes);

struct Encoded
{
    QByteArray bytes;
    // The text held characters that Latin-1 cannot store, so it was written
    // as UTF-8 instead.
    bool switchedToUtf8 = false;
};

// Writes editor text in a file's format. One line end is added when the text
// is not empty, does not end with one and the format wants one.
Encoded encode(const QString &text, const TextFormat &format);
// The same for editor text already in UTF-8, which a UTF-8 file needs
// without a round trip through QString.
Encoded encodeUtf8(const QByteArray &utf8, const TextFormat &format);
} // namespace TextCodec
