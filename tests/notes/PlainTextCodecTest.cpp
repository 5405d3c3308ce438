// Plain-text files: line ends, encodings found and kept, legacy bytes and binary data.
#include "notes/PlainTextCodec.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

TEST(PlainTextCodec, EveryLineEndStyleBecomesOneBreak)
{
    for (const char *bytes : {"a\r\nb\r\n\r\nc", "a\nb\n\nc", "a\rb\r\rc"}) {
        QString text;
        plaintext::TTextFormat f;
        ASSERT_TRUE(plaintext::Decode(QByteArray(bytes), 1252, text, f));
        EXPECT_EQ(text, QStringLiteral("a\nb\n\nc")) << bytes;
    }
    QString text;
    plaintext::TTextFormat f;
    ASSERT_TRUE(plaintext::Decode("x\r\ny\nz\r", 1252, text, f));
    EXPECT_EQ(text, QStringLiteral("x\ny\nz\n"));
    EXPECT_EQ(f.LineEnd, plaintext::TLineEnd::CrLf); // the first style met
}

TEST(PlainTextCodec, EncodingsAreFoundAndKeptForWriting)
{
    const QString sample = QString::fromUtf16(u"N\u00e4he \u65e5\u672c\nzwei");
    struct Case {
        QByteArray bytes;
        plaintext::TEncoding encoding;
    };
    QByteArray le("\xFF\xFE"), be("\xFE\xFF"), raw, rawBe;
    const QString crlf = QString(sample).replace(u'\n', QStringLiteral("\r\n"));
    for (QChar c : crlf) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
        raw += char(c.unicode() & 0xFF);
        raw += char(c.unicode() >> 8);
        rawBe += char(c.unicode() >> 8);
        rawBe += char(c.unicode() & 0xFF);
    }
    const QList<Case> cases = {
        {sample.toUtf8(), plaintext::TEncoding::Utf8},
        {"\xEF\xBB\xBF" + sample.toUtf8(), plaintext::TEncoding::Utf8Bom},
        {le, plaintext::TEncoding::Utf16LE},
        {be, plaintext::TEncoding::Utf16BE},
        {raw, plaintext::TEncoding::Utf16LERaw},
        {rawBe, plaintext::TEncoding::Utf16BERaw},
    };
    for (const Case &c : cases) {
        QString text;
        plaintext::TTextFormat f;
        ASSERT_TRUE(plaintext::Decode(c.bytes, 1252, text, f)) << int(c.encoding);
        EXPECT_EQ(text, sample) << int(c.encoding);
        EXPECT_EQ(f.Encoding, c.encoding);
        EXPECT_EQ(plaintext::Encode(text, f), c.bytes) << int(c.encoding);
    }
}

TEST(PlainTextCodec, LegacyBytesFallBackToTheInterfaceCodePage)
{
    QString text;
    plaintext::TTextFormat f;
    const QByteArray sjis("\x93\xfa\x96\x7b\x8c\xea\r\n", 8); // "日本語" in code page 932
    ASSERT_TRUE(plaintext::Decode(sjis, 932, text, f));
    EXPECT_EQ(text, QString::fromUtf16(u"\u65e5\u672c\u8a9e\n"));
    EXPECT_EQ(f.Encoding, plaintext::TEncoding::CodePage);
    EXPECT_EQ(f.CodePage, 932);
    EXPECT_EQ(plaintext::Encode(text, f), sjis);

    ASSERT_TRUE(plaintext::Decode("caf\xe9", 1252, text, f));
    EXPECT_EQ(text, QString::fromUtf16(u"caf\u00e9"));
    // a character the code page cannot hold is not lost: the file becomes UTF-8
    plaintext::TTextFormat latin = f;
    EXPECT_EQ(plaintext::Encode(QString::fromUtf16(u"\u65e5"), latin), QByteArray("\xe6\x97\xa5"));
    EXPECT_EQ(latin.Encoding, plaintext::TEncoding::Utf8);
}

TEST(PlainTextCodec, BinaryDataIsRefused)
{
    QString text;
    plaintext::TTextFormat f;
    EXPECT_FALSE(plaintext::Decode(QByteArray("PK\x03\x04\x00\x00\x08\x00\x01\x02", 10), 1252, text, f));
    EXPECT_FALSE(plaintext::Decode(QByteArray("\x7f"
                                              "ELF\x02\x01\x01\x00\x00\x00\x00\x00",
                                              12),
                                   1252, text, f));
    // zero characters inside text that has a UTF-16 mark are no text either
    EXPECT_FALSE(plaintext::Decode(QByteArray("\xFF\xFE"
                                              "a\x00\x00\x00",
                                              6),
                                   1252, text, f));
}
