// The version-block reader over files written into a temporary folder: blocks among other bytes,
// files without one, damaged blocks, and the load rules of the FileName property.
#include "settings/FileVersions.h"

#include "common/TestSupport.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::writeBytes;

namespace {

// Writes blocks independently of the reader, byte by byte.
class BlockWriter {
public:
    BlockWriter &var(const QByteArray &key, const QByteArray &value) { return add("\\VarFileInfo\\" + key, value); }
    BlockWriter &str(const QByteArray &translation, const QByteArray &key, const QByteArray &value)
    {
        return add("\\StringFileInfo\\" + translation + '\\' + key, value);
    }
    BlockWriter &add(const QByteArray &path, const QByteArray &value)
    {
        m_values.append({path, value});
        return *this;
    }
    QByteArray bytes(const QByteArray &end = QByteArray("\x1A"
                                                        "END",
                                                        4)) const
    {
        QByteArray b("\x7F"
                     "BRIVO-VERSION"
                     "\x01\x1A",
                     16);
        u16(b, int(m_values.size()));
        for (const auto &[path, value] : m_values) {
            u16(b, int(path.size()));
            b += path;
            u16(b, int(value.size()));
            b += value;
        }
        return b + end;
    }
    static void u16(QByteArray &b, int v)
    {
        b += char(v & 0xFF);
        b += char((v >> 8) & 0xFF);
    }

private:
    QList<std::pair<QByteArray, QByteArray>> m_values;
};

const QByteArray Japanese("\x11\x04\xA4\x03", 4); // language 0x0411, code page 0x03A4

BlockWriter programBlock()
{
    BlockWriter w;
    w.var("Translation", Japanese + QByteArray("\x09\x04\xE4\x04", 4));
    const QByteArray t = "041103A4";
    w.str(t, "CompanyName", "Example Maker")
        .str(t, "FileDescription", "A browser")
        .str(t, "InternalName", "brivo")
        .str(t, "OriginalFileName", "brivo.bin")
        .str(t, "LegalCopyright", "Copyright (C) Example Maker")
        .str(t, "FileVersion", "2.1.6.2")
        .str(t, "ProductVersion", "2.1")
        .str(t, "ProductName", "Brivo Compact")
        .str(t, "Comments", "\xE3\x83\x96\xE3\x83\xA9\xE3\x82\xA6\xE3\x82\xB6")
        .str(t, "Homepage", "https://brivo.example.org/")
        .str("040904E4", "FileVersion", "9.9.9.9");
    return w;
}

class FileVersionTest : public ::testing::Test {
protected:
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.path() + u'/' + name;
        writeBytes(path, bytes);
        return path;
    }
    // a block among the bytes of a program file
    QByteArray program(const QByteArray &block) const
    {
        return QByteArray("\x7F"
                          "ELF",
                          4) +
               QByteArray(3000, '\xCC') + block + QByteArray(500, '\0');
    }
    QTemporaryDir dir;
};

TEST_F(FileVersionTest, ReadsTheStandardValuesOfTheFirstTranslation)
{
    TFileVersion v;
    EXPECT_FALSE(v.Valid());
    v.SetFileName(file("brivo", program(programBlock().bytes())));
    ASSERT_TRUE(v.Valid());
    EXPECT_EQ(v.Translation(), u"041103A4");
    EXPECT_EQ(v.CompanyName(), u"Example Maker");
    EXPECT_EQ(v.FileDescription(), u"A browser");
    EXPECT_EQ(v.InternalName(), u"brivo");
    EXPECT_EQ(v.OriginalFileName(), u"brivo.bin");
    EXPECT_EQ(v.LegalCopyright(), u"Copyright (C) Example Maker");
    EXPECT_EQ(v.FileVersion(), u"2.1.6.2"); // not the second translation's
    EXPECT_EQ(v.ProductVersion(), u"2.1");
    EXPECT_EQ(v.ProductName(), u"Brivo Compact");
    EXPECT_EQ(v.Comments(), QString::fromUtf8("ブラウザ"));
    EXPECT_EQ(v.GetValue("Homepage"), u"https://brivo.example.org/");
    EXPECT_EQ(v.GetValue("HOMEPAGE"), u"https://brivo.example.org/"); // keys ignore letter case
    EXPECT_EQ(v.GetValue("Missing"), QString());
    EXPECT_EQ(v.GetValue(QString()), QString());
    EXPECT_EQ(v.GetVarValue("Translation"), u"041103A4");
    EXPECT_EQ(v.GetVarValue("Missing"), QString());
}

TEST_F(FileVersionTest, VarValuesPutTheLowHalfFirst)
{
    BlockWriter w;
    w.var("Translation", QByteArray("\x09\x04\xB0\x04", 4))
        .var("Short", "\x01\x02")
        .str("040904B0", "FileVersion", "1.0");
    TFileVersion v;
    v.SetFileName(file("f", w.bytes()));
    ASSERT_TRUE(v.Valid());
    EXPECT_EQ(v.Translation(), u"040904B0");
    EXPECT_EQ(v.FileVersion(), u"1.0");
    EXPECT_EQ(v.GetVarValue("Short"), QString()); // shorter than 32 bits reads as none
}

TEST_F(FileVersionTest, FilesWithoutABlockAreInvalid)
{
    TFileVersion v;
    v.SetFileName(file("plain", program(QByteArray())));
    EXPECT_FALSE(v.Valid());
    v.SetFileName(file("empty", QByteArray()));
    EXPECT_FALSE(v.Valid());
    v.SetFileName(dir.path() + "/missing");
    EXPECT_FALSE(v.Valid());
    v.SetFileName(dir.path()); // a folder
    EXPECT_FALSE(v.Valid());
    EXPECT_EQ(v.GetValue("Homepage"), QString());
    EXPECT_EQ(v.GetStringValue("Homepage"), QString());
}

TEST_F(FileVersionTest, ABlockWithoutTranslationHasNoStringValues)
{
    BlockWriter w;
    w.str("041103A4", "FileVersion", "2.1.6.2").str("", "FileVersion", "0.0");
    TFileVersion v;
    v.SetFileName(file("f", w.bytes()));
    EXPECT_TRUE(v.Valid());
    EXPECT_EQ(v.Translation(), QString());
    EXPECT_EQ(v.FileVersion(), QString());
    EXPECT_EQ(v.GetValue("FileVersion"), QString());
}

TEST_F(FileVersionTest, OnlyANewNameLoadsAndAFailedLoadKeepsTheFieldsButNotTheValues)
{
    const QString good = file("brivo", programBlock().bytes());
    TFileVersion v;
    v.SetFileName(good);
    EXPECT_EQ(v.LoadCount(), 1);
    v.SetFileName(good);
    EXPECT_EQ(v.LoadCount(), 1);
    v.SetFileName(dir.path() + "/BRIVO"); // another name on this system
    EXPECT_EQ(v.LoadCount(), 2);
    EXPECT_FALSE(v.Valid());
    EXPECT_EQ(v.FileVersion(), u"2.1.6.2");
    EXPECT_EQ(v.Translation(), u"041103A4");
    EXPECT_EQ(v.GetValue("FileVersion"), QString());
    EXPECT_EQ(v.GetValue("Homepage"), QString());
    v.SetFileName(good);
    EXPECT_EQ(v.LoadCount(), 3);
    EXPECT_TRUE(v.Valid());
    EXPECT_EQ(v.GetValue("Homepage"), u"https://brivo.example.org/");
}

TEST_F(FileVersionTest, DamagedBlocksAreRefused)
{
    const QByteArray good = programBlock().bytes();
    QByteArray zeroCount = BlockWriter().bytes();
    QByteArray manyValues = good;
    manyValues[16] = char(0x01);
    manyValues[17] = char(0x01); // 257 values
    BlockWriter big;
    big.var("Translation", Japanese).str("041103A4", "Comments", QByteArray(versionblock::MaxValueBytes + 1, 'x'));
    BlockWriter badPath;
    badPath.add("VarFileInfo\\Translation", Japanese);
    BlockWriter controlPath;
    controlPath.add("\\VarFileInfo\\Trans\nlation", Japanese);
    const QList<std::pair<const char *, QByteArray>> cases = {
        {"cut short", good.left(good.size() - 5)},
        {"cut in a length", good.left(17)},
        {"no values", zeroCount},
        {"too many values", manyValues},
        {"value too long", big.bytes()},
        {"path without leading backslash", badPath.bytes()},
        {"control character in path", controlPath.bytes()},
        {"wrong end", programBlock().bytes("\x1A"
                                           "EOF")},
        {"marker alone", good.left(16)},
    };
    for (const auto &[name, bytes] : cases) {
        TFileVersion v;
        v.SetFileName(file("damaged", program(bytes)));
        EXPECT_FALSE(v.Valid()) << name;
        EXPECT_EQ(v.GetValue("Homepage"), QString()) << name;
    }
}

TEST_F(FileVersionTest, TheScanSkipsBadMarkersAndFindsBlocksAcrossReadBoundaries)
{
    const QByteArray good = programBlock().bytes();
    // a damaged block (cut right after its marker) before the real one
    TFileVersion v;
    v.SetFileName(file("second", program(good.left(20) + good)));
    EXPECT_TRUE(v.Valid());
    EXPECT_EQ(v.FileVersion(), u"2.1.6.2");

    // the scan reads a megabyte at a time: a marker cut by that boundary is still found
    for (int before : {(1 << 20) - 7, (1 << 20), 3 * (1 << 20) + 1}) {
        TFileVersion far;
        far.SetFileName(file(QStringLiteral("far%1").arg(before), QByteArray(before, 'B') + good));
        EXPECT_TRUE(far.Valid()) << before;
        EXPECT_EQ(far.GetValue("Homepage"), u"https://brivo.example.org/") << before;
    }
}

TEST_F(FileVersionTest, ValuesEndAtANulAndTheFirstOfTwoEqualPathsCounts)
{
    BlockWriter w;
    w.var("Translation", Japanese)
        .str("041103A4", "FileVersion", QByteArray("1.2\0junk", 8))
        .str("041103a4", "fileversion", "3.4")
        .str("041103A4", "Comments", "\xFF\xFE bad UTF-8");
    TFileVersion v;
    v.SetFileName(file("f", w.bytes()));
    ASSERT_TRUE(v.Valid());
    EXPECT_EQ(v.FileVersion(), u"1.2");
    EXPECT_FALSE(v.Comments().isEmpty());
}

TEST(VersionBlock, FindWorksOnAnyRandomAccessDeviceAndReadsFromItsPosition)
{
    QByteArray data = QByteArray(100, 'x') + programBlock().bytes();
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QHash<QByteArray, QByteArray> values;
    EXPECT_TRUE(versionblock::find(buffer, values));
    EXPECT_EQ(values.value("\\VARFILEINFO\\TRANSLATION").left(4), Japanese);
    buffer.seek(120); // past the marker
    EXPECT_FALSE(versionblock::find(buffer, values));
    EXPECT_TRUE(values.isEmpty());
}

} // namespace
