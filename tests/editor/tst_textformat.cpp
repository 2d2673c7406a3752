#include "editor/textformat.h"

#include <QTest>

Q_DECLARE_METATYPE(TextFormat)
Q_DECLARE_METATYPE(TextFormat::LineEnding)

// Found by QtTest through argument-dependent lookup, so that a failed
// comparison shows both formats.
char *toString(const TextFormat &format)
{
    static const char *const endings[] = {"CR LF", "LF", "CR"};
    const QByteArray text = QByteArray(format.encoding == TextFormat::Encoding::Utf8 ? "UTF-8" : "Latin-1")
                            + (format.byteOrderMark ? " with BOM, " : ", ") + endings[int(format.lineEnding)]
                            + (format.finalLineEnd ? ", final line end" : ", no final line end")
                            + (format.mixedLineEnds ? ", mixed" : "");
    return qstrdup(text.constData());
}

namespace {

using Encoding = TextFormat::Encoding;
using LineEnding = TextFormat::LineEnding;

// Keeps NUL bytes, which a plain const char * conversion would cut at.
template<qsizetype N>
QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

bool onlyCrLf(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))
            return false;
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            return false;
    }
    return true;
}

// Every byte value but the line-end ones, so that the file is one line.
QByteArray allBytesButLineEnds()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            all += char(b);
    }
    return all;
}

QByteArray repeated(const QByteArray &piece, qsizetype totalBytes)
{
    QByteArray out;
    out.reserve(totalBytes + piece.size());
    while (out.size() < totalBytes)
        out += piece;
    return out;
}

} // namespace

class TestTextFormat : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("latin1");

        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("ascii, LF") << bytes("int main()\n{\n    return 0;\n}\n") << false;
        QTest::newRow("ascii, CR LF") << bytes("int main()\r\n{\r\n}\r\n") << false;
        QTest::newRow("ascii, lone CR") << bytes("int main()\r{\r}\r") << false;
        QTest::newRow("blank lines, CR LF") << bytes("\r\n\r\n\r\n") << false;
        QTest::newRow("blank lines, lone CR") << bytes("\r\r\r") << false;
        QTest::newRow("a single LF") << bytes("\n") << false;
        QTest::newRow("no final line end, LF") << bytes("a\nb") << false;
        QTest::newRow("no final line end, CR LF") << bytes("a\r\nb") << false;
        QTest::newRow("no final line end, lone CR") << bytes("a\rb") << false;
        QTest::newRow("no line end at all") << bytes("int x;") << false;
        QTest::newRow("utf-8 without BOM") << bytes("/* caf\xC3\xA9 \xE2\x82\xAC */\n") << false;
        QTest::newRow("utf-8 with BOM") << bytes("\xEF\xBB\xBF/* caf\xC3\xA9 */\r\n") << false;
        QTest::newRow("BOM only") << bytes("\xEF\xBB\xBF") << false;
        QTest::newRow("BOM and one line end") << bytes("\xEF\xBB\xBF\n") << false;
        QTest::newRow("BOM twice") << bytes("\xEF\xBB\xBF\xEF\xBB\xBFx\n") << false;
        QTest::newRow("U+FEFF inside the text") << bytes("a\xEF\xBB\xBF" "b\n") << false;
        QTest::newRow("4-byte utf-8, emoji") << bytes("// \xF0\x9F\x98\x80 ok\n") << false;
        QTest::newRow("U+2028 and NEL are not line ends") << bytes("a\xE2\x80\xA8" "b\xC2\x85" "c\n") << false;
        QTest::newRow("noncharacter U+FFFF") << bytes("\xEF\xBF\xBF\n") << false;
        QTest::newRow("NUL bytes") << bytes("a\0b\n\0\n\0") << false;
        QTest::newRow("latin-1 0xE9 alone") << bytes("caf\xE9\n") << true;
        QTest::newRow("latin-1 0xFF") << bytes("\xFF\r\n") << true;
        QTest::newRow("latin-1 0x80..0x9F")
            << bytes("\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F"
                     "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F\n")
            << true;
        QTest::newRow("latin-1 after a BOM") << bytes("\xEF\xBB\xBF" "caf\xE9\n") << true;
        QTest::newRow("latin-1, every byte value") << allBytesButLineEnds() + '\n' << true;
        QTest::newRow("lone continuation byte") << bytes("\x80" "abc\n") << true;
        QTest::newRow("overlong '/'") << bytes("\xC0\xAF\n") << true;
        QTest::newRow("overlong NUL") << bytes("a\xC0\x80" "b") << true;
        QTest::newRow("overlong 3-byte form") << bytes("\xE0\x80\xAF") << true;
        QTest::newRow("encoded UTF-16 surrogate") << bytes("\xED\xA0\x80\n") << true;
        QTest::newRow("above U+10FFFF") << bytes("\xF4\x90\x80\x80\n") << true;
        QTest::newRow("5-byte form") << bytes("\xF8\x88\x80\x80\x80\n") << true;
        QTest::newRow("sequence cut short inside the text") << bytes("a\xE2\x82" "b\n") << true;
        QTest::newRow("sequence cut short at the end") << bytes("abc\xE2\x82") << true;
        QTest::newRow("emoji cut short at the end") << bytes("x\xF0\x9F\x98") << true;

        const qsizetype huge = 4 * 1024 * 1024;
        QTest::newRow("one huge ascii line, no line end") << repeated("int x = 0; ", huge) << false;
        QTest::newRow("one huge utf-8 line, LF") << repeated("caf\xC3\xA9 \xF0\x9F\x98\x80 ", huge) + '\n' << false;
        QTest::newRow("one huge latin-1 line, CR LF") << repeated("caf\xE9 ", huge) + "\r\n" << true;
    }

    void roundTrip()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, latin1);

        const DecodedText decoded = TextCodec::decode(file);
        QVERIFY(onlyCrLf(decoded.text));
        QCOMPARE(decoded.format.encoding, latin1 ? Encoding::Latin1 : Encoding::Utf8);
        QVERIFY(!decoded.format.mixedLineEnds);

        const TextCodec::Encoded encoded = TextCodec::encode(decoded.text, decoded.format);
        QVERIFY(!encoded.switchedToUtf8);
        QCOMPARE(encoded.bytes.size(), file.size());
        QCOMPARE(encoded.bytes, file);
    }

    void decodedTextAndFormat_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextFormat>("format");

        QTest::newRow("empty") << QByteArray() << QString() << TextFormat{};
        QTest::newRow("LF") << bytes("a\nb\n") << QStringLiteral("a\r\nb\r\n") << TextFormat{};
        QTest::newRow("CR LF") << bytes("a\r\nb\r\n") << QStringLiteral("a\r\nb\r\n")
                               << TextFormat{.lineEnding = LineEnding::CrLf};
        QTest::newRow("lone CR") << bytes("a\rb\r") << QStringLiteral("a\r\nb\r\n")
                                 << TextFormat{.lineEnding = LineEnding::Cr};
        QTest::newRow("no final line end") << bytes("a\r\nb") << QStringLiteral("a\r\nb")
                                           << TextFormat{.lineEnding = LineEnding::CrLf, .finalLineEnd = false};
        QTest::newRow("no line end at all") << bytes("x") << QStringLiteral("x") << TextFormat{.finalLineEnd = false};
        QTest::newRow("utf-8") << bytes("caf\xC3\xA9\n") << QStringLiteral("caf\u00e9\r\n") << TextFormat{};
        QTest::newRow("utf-8 with BOM") << bytes("\xEF\xBB\xBFint;\r\n") << QStringLiteral("int;\r\n")
                                        << TextFormat{.byteOrderMark = true, .lineEnding = LineEnding::CrLf};
        QTest::newRow("BOM only") << bytes("\xEF\xBB\xBF") << QString() << TextFormat{.byteOrderMark = true};
        QTest::newRow("second BOM is text") << bytes("\xEF\xBB\xBF\xEF\xBB\xBFx") << QStringLiteral("\uFEFFx")
                                            << TextFormat{.byteOrderMark = true, .finalLineEnd = false};
        QTest::newRow("emoji") << bytes("\xF0\x9F\x98\x80\n") << QStringLiteral("\U0001F600\r\n") << TextFormat{};
        QTest::newRow("NUL") << bytes("a\0\n") << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("\r\n"))
                             << TextFormat{};
        QTest::newRow("latin-1") << bytes("caf\xE9\r\n") << QStringLiteral("caf\u00e9\r\n")
                                 << TextFormat{.encoding = Encoding::Latin1, .lineEnding = LineEnding::CrLf};
        // The BOM bytes are no BOM in a Latin-1 file: they stay in the text.
        QTest::newRow("latin-1 after BOM bytes")
            << bytes("\xEF\xBB\xBF\xE9") << QStringLiteral("\u00ef\u00bb\u00bf\u00e9")
            << TextFormat{.encoding = Encoding::Latin1, .finalLineEnd = false};
        QTest::newRow("latin-1 C1 control") << bytes("\x85\n") << QStringLiteral("\u0085\r\n")
                                            << TextFormat{.encoding = Encoding::Latin1};
    }

    void decodedTextAndFormat()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        QFETCH(TextFormat, format);

        const DecodedText decoded = TextCodec::decode(file);
        QCOMPARE(decoded.text, text);
        QCOMPARE(decoded.format, format);
    }

    // A file with more than one kind of line end cannot come back as it was;
    // it is written with the commonest kind, CR LF winning ties, then LF.
    void mixedLineEnds_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text");
        QTest::addColumn<LineEnding>("ending");
        QTest::addColumn<QByteArray>("written");

        QTest::newRow("mostly LF") << bytes("a\r\nb\nc\n") << QStringLiteral("a\r\nb\r\nc\r\n") << LineEnding::Lf
                                   << bytes("a\nb\nc\n");
        QTest::newRow("mostly CR LF") << bytes("a\nb\r\nc\r\n") << QStringLiteral("a\r\nb\r\nc\r\n")
                                      << LineEnding::CrLf << bytes("a\r\nb\r\nc\r\n");
        QTest::newRow("mostly lone CR") << bytes("a\rb\rc\n") << QStringLiteral("a\r\nb\r\nc\r\n") << LineEnding::Cr
                                        << bytes("a\rb\rc\r");
        QTest::newRow("CR LF ties LF") << bytes("a\nb\r\n") << QStringLiteral("a\r\nb\r\n") << LineEnding::CrLf
                                       << bytes("a\r\nb\r\n");
        QTest::newRow("CR LF ties lone CR") << bytes("a\rb\r\n") << QStringLiteral("a\r\nb\r\n")
                                            << LineEnding::CrLf << bytes("a\r\nb\r\n");
        QTest::newRow("LF ties lone CR") << bytes("a\rb\n") << QStringLiteral("a\r\nb\r\n") << LineEnding::Lf
                                         << bytes("a\nb\n");
        QTest::newRow("three-way tie") << bytes("a\rb\nc\r\n") << QStringLiteral("a\r\nb\r\nc\r\n")
                                       << LineEnding::CrLf << bytes("a\r\nb\r\nc\r\n");
        QTest::newRow("CR before CR LF is two line ends") << bytes("a\r\r\nb") << QStringLiteral("a\r\n\r\nb")
                                                          << LineEnding::CrLf << bytes("a\r\n\r\nb");
        QTest::newRow("LF then CR is two line ends") << bytes("a\n\rb") << QStringLiteral("a\r\n\r\nb")
                                                     << LineEnding::Lf << bytes("a\n\nb");
        QTest::newRow("no final line end kept") << bytes("a\r\nb\nc") << QStringLiteral("a\r\nb\r\nc")
                                                << LineEnding::CrLf << bytes("a\r\nb\r\nc");
    }

    void mixedLineEnds()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        QFETCH(LineEnding, ending);
        QFETCH(QByteArray, written);

        const DecodedText decoded = TextCodec::decode(file);
        QCOMPARE(decoded.text, text);
        QVERIFY(decoded.format.mixedLineEnds);
        QCOMPARE(decoded.format.lineEnding, ending);

        const TextCodec::Encoded encoded = TextCodec::encode(decoded.text, decoded.format);
        QCOMPARE(encoded.bytes, written);
        // Written once, the file is no longer mixed and now comes back as it is.
        const DecodedText again = TextCodec::decode(encoded.bytes);
        QVERIFY(!again.format.mixedLineEnds);
        QCOMPARE(TextCodec::encode(again.text, again.format).bytes, written);
    }

    void finalLineEnd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextFormat>("format");
        QTest::addColumn<QByteArray>("written");

        // A new document's format.
        QTest::newRow("new document gets an LF") << QStringLiteral("int x;") << TextFormat{} << bytes("int x;\n");
        QTest::newRow("new document already ending") << QStringLiteral("int x;\r\n") << TextFormat{}
                                                     << bytes("int x;\n");
        QTest::newRow("new document, empty") << QString() << TextFormat{} << QByteArray();
        QTest::newRow("just a line end is not doubled") << QStringLiteral("\r\n") << TextFormat{} << bytes("\n");
        QTest::newRow("two line ends stay two") << QStringLiteral("a\r\n\r\n") << TextFormat{} << bytes("a\n\n");
        QTest::newRow("CR LF file gets CR LF") << QStringLiteral("a\r\nb")
                                               << TextFormat{.lineEnding = LineEnding::CrLf} << bytes("a\r\nb\r\n");
        QTest::newRow("lone CR file gets CR") << QStringLiteral("a\r\nb") << TextFormat{.lineEnding = LineEnding::Cr}
                                              << bytes("a\rb\r");
        QTest::newRow("BOM stays in front") << QStringLiteral("x")
                                            << TextFormat{.byteOrderMark = true, .lineEnding = LineEnding::CrLf}
                                            << bytes("\xEF\xBB\xBFx\r\n");
        QTest::newRow("file without one gets none") << QStringLiteral("a\r\nb") << TextFormat{.finalLineEnd = false}
                                                    << bytes("a\nb");
        QTest::newRow("file without one keeps a typed one")
            << QStringLiteral("a\r\n") << TextFormat{.finalLineEnd = false} << bytes("a\n");
        // Stray CR or LF that an edit left in the editor are line ends too:
        // the file never holds two kinds, nor a lone CR.
        QTest::newRow("stray CR in an LF file") << QStringLiteral("{\r\n\rx\r\n") << TextFormat{} << bytes("{\n\nx\n");
        QTest::newRow("stray LF in a CR LF file") << QStringLiteral("a\nb\r\n")
                                                  << TextFormat{.lineEnding = LineEnding::CrLf} << bytes("a\r\nb\r\n");
        QTest::newRow("stray CR in a CR LF file") << QStringLiteral("a\rb")
                                                  << TextFormat{.lineEnding = LineEnding::CrLf} << bytes("a\r\nb\r\n");
        QTest::newRow("stray CR at the very end") << QStringLiteral("a\r") << TextFormat{} << bytes("a\n");
        QTest::newRow("stray LF in a CR file") << QStringLiteral("a\nb\r\n") << TextFormat{.lineEnding = LineEnding::Cr}
                                               << bytes("a\rb\r");
        QTest::newRow("latin-1 file gets one")
            << QStringLiteral("caf\u00e9") << TextFormat{.encoding = Encoding::Latin1} << bytes("caf\xE9\n");
    }

    void finalLineEnd()
    {
        QFETCH(QString, text);
        QFETCH(TextFormat, format);
        QFETCH(QByteArray, written);

        const TextCodec::Encoded encoded = TextCodec::encode(text, format);
        QCOMPARE(encoded.bytes, written);
        QVERIFY(!encoded.switchedToUtf8);
    }

    // A character Latin-1 cannot hold makes the whole file UTF-8 rather than
    // be lost; up to U+00FF the file stays Latin-1.
    void latin1Overflow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<LineEnding>("ending");
        QTest::addColumn<bool>("switched");
        QTest::addColumn<QByteArray>("written");

        QTest::newRow("euro sign") << QStringLiteral("caf\u00e9 \u20ac\r\n") << LineEnding::Lf << true
                                   << bytes("caf\xC3\xA9 \xE2\x82\xAC\n");
        QTest::newRow("U+0100, first past Latin-1") << QStringLiteral("\u00ff\u0100\r\n") << LineEnding::CrLf << true
                                                    << bytes("\xC3\xBF\xC4\x80\r\n");
        QTest::newRow("emoji, lone CR file") << QStringLiteral("a\r\n\U0001F600\r\n") << LineEnding::Cr << true
                                             << bytes("a\r\xF0\x9F\x98\x80\r");
        QTest::newRow("wide character added without a line end")
            << QStringLiteral("\u00e9\u20ac") << LineEnding::Lf << true << bytes("\xC3\xA9\xE2\x82\xAC\n");
        QTest::newRow("U+00FF still fits") << QStringLiteral("\u00e9\u00ff\r\n") << LineEnding::Lf << false
                                           << bytes("\xE9\xFF\n");
    }

    void latin1Overflow()
    {
        QFETCH(QString, text);
        QFETCH(LineEnding, ending);
        QFETCH(bool, switched);
        QFETCH(QByteArray, written);

        const TextFormat latin1{.encoding = Encoding::Latin1, .lineEnding = ending};
        const TextCodec::Encoded encoded = TextCodec::encode(text, latin1);
        QCOMPARE(encoded.switchedToUtf8, switched);
        QCOMPARE(encoded.bytes, written);

        // Nothing was lost: read back, the file gives the same text.
        const DecodedText readBack = TextCodec::decode(encoded.bytes);
        QCOMPARE(readBack.format.encoding, switched ? Encoding::Utf8 : Encoding::Latin1);
        QCOMPARE(readBack.text, text.endsWith(QStringLiteral("\r\n")) ? text : text + QStringLiteral("\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestTextFormat)
#include "tst_textformat.moc"
