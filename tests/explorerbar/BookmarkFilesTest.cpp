// The bookmark file codec on its own: exact bytes written, what is read back, other browsers' exports,
// decoding, tolerance, refusals and the atomic save.
#include "explorerbar/BookmarkFiles.h"

#include "common/SeamGuards.h"
#include "common/TestSupport.h"
#include "platform/CodePage.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace bookmarkfile;

namespace {

const QByteArray Head = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r"
                        "<!-- This is an automatically generated file.\r"
                        "It will be read and overwritten.\r"
                        "Do Not Edit! -->\r\n"
                        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n";

Item folder(int level, const QString &title, qint64 add = 0)
{
    Item i;
    i.level = level;
    i.kind = KindFolder;
    i.title = title;
    i.addDate = add;
    return i;
}

Item bookmark(int level, const QString &title, const QString &url, qint64 add = 0, qint64 visit = 0, qint64 mod = 0)
{
    Item i;
    i.level = level;
    i.kind = KindBookmark;
    i.title = title;
    i.url = url;
    i.addDate = add;
    i.lastVisit = visit;
    i.lastModified = mod;
    return i;
}

Document parsed(const QByteArray &bytes, bool *ok = nullptr, int cp = 1252)
{
    Document doc;
    QString error;
    const bool r = parse(bytes, cp, &doc, &error);
    if (ok)
        *ok = r;
    return doc;
}

QByteArray listFile(const QByteArray &body)
{
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>T</TITLE>\n<H1>T</H1>\n<DL><p>\n" + body + "\n</DL><p>\n";
}

// The titles of the items, each indented two spaces per level.
QStringList shapeOf(const Document &doc)
{
    QStringList shape;
    for (const Item &i : doc.items)
        shape << QString(i.level * 2, u' ') + i.title;
    return shape;
}

// What a text becomes once written: no line breaks.
QString oneLine(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

} // namespace

TEST(BookmarkFileWriter, EmptyListIsHeaderTitleHeadingAndOneList)
{
    Document doc;
    doc.caption = QStringLiteral("My list");
    EXPECT_EQ(write(doc), Head + "<TITLE>My list</TITLE>\r\n<H1>My list</H1>\r\n<DL><p>\r\n</DL><p>\r\n");
    bool ok = false;
    const Document back = parsed(write(doc), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(back.caption, u"My list");
    EXPECT_TRUE(back.items.isEmpty());
}

TEST(BookmarkFileWriter, ExactLinesIndentationAndAttributeOrder)
{
    Document doc;
    doc.caption = QStringLiteral("C");
    doc.items = {folder(0, QStringLiteral("Empty"), 11),
                 bookmark(0, QStringLiteral("Beside"), QStringLiteral("http://b/"), 1, 2, 3),
                 folder(0, QStringLiteral("Outer"), 12), folder(1, QStringLiteral("Inner"), -5),
                 bookmark(2, QStringLiteral("Deep"), QStringLiteral("http://d/"), 4, 5, 6)};
    const QByteArray expected =
        Head + "<TITLE>C</TITLE>\r\n<H1>C</H1>\r\n<DL><p>\r\n"
               "    <DT><H3 FOLDED ADD_DATE=\"11\">Empty</H3>\r\n"
               "    <DL><p>\r\n"
               "    </DL><p>\r\n"
               "    <DT><A HREF=\"http://b/\" ADD_DATE=\"1\" LAST_VISIT=\"2\" LAST_MODIFIED=\"3\">Beside</A>\r\n"
               "    <DT><H3 FOLDED ADD_DATE=\"12\">Outer</H3>\r\n"
               "    <DL><p>\r\n"
               "        <DT><H3 FOLDED ADD_DATE=\"-5\">Inner</H3>\r\n"
               "        <DL><p>\r\n"
               "            <DT><A HREF=\"http://d/\" ADD_DATE=\"4\" LAST_VISIT=\"5\" LAST_MODIFIED=\"6\">Deep</A>\r\n"
               "        </DL><p>\r\n"
               "    </DL><p>\r\n"
               "</DL><p>\r\n";
    EXPECT_EQ(write(doc), expected);

    // the bookmark after the empty folder reads back beside it, not inside it
    bool ok = false;
    const Document back = parsed(expected, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(back.items.size(), 5);
    EXPECT_EQ(back.items[1].level, 0);
    EXPECT_EQ(back.items[1].title, u"Beside");
    EXPECT_EQ(back.items[3].addDate, -5);
    EXPECT_EQ(back.items, doc.items);
}

TEST(BookmarkFileWriter, EscapesMarkupAndKeepsTitlesOnOneLine)
{
    Document doc;
    doc.caption = QStringLiteral("a</TITLE><DL>");
    doc.items = {bookmark(0, QStringLiteral("x</A>\r\n<DT><A HREF=\"http://evil/\">y"),
                          QStringLiteral("http://q/?a=1&b=\"2\"<>"))};
    const QByteArray bytes = write(doc);
    EXPECT_TRUE(bytes.contains("<TITLE>a&lt;/TITLE&gt;&lt;DL&gt;</TITLE>"));
    EXPECT_TRUE(bytes.contains("HREF=\"http://q/?a=1&amp;b=&quot;2&quot;&lt;&gt;\""));
    EXPECT_TRUE(bytes.contains(">x&lt;/A&gt; &lt;DT&gt;&lt;A HREF=&quot;http://evil/&quot;&gt;y</A>\r\n"));
    const Document back = parsed(bytes);
    ASSERT_EQ(back.items.size(), 1); // no injected bookmark
    EXPECT_EQ(back.caption, doc.caption);
    EXPECT_EQ(back.items[0].title, oneLine(doc.items[0].title));
    EXPECT_EQ(back.items[0].url, doc.items[0].url);
}

TEST(BookmarkFileWriter, LevelsDeeperThanTheOpenListsAreClampedSoTheFileNests)
{
    Document doc;
    doc.items = {bookmark(3, QStringLiteral("a"), QStringLiteral("u")), folder(0, QStringLiteral("f")),
                 bookmark(5, QStringLiteral("b"), QStringLiteral("v"))};
    const Document back = parsed(write(doc));
    ASSERT_EQ(back.items.size(), 3);
    EXPECT_EQ(back.items[0].level, 0);
    EXPECT_EQ(back.items[2].level, 1);
}

TEST(BookmarkFileRoundTrip, RandomTreesWithAwkwardTextSurvive)
{
    const QStringList pieces = {QStringLiteral("&"),          QStringLiteral("<"),     QStringLiteral(">"),
                                QStringLiteral("\""),         QStringLiteral("'"),     QStringLiteral("</"),
                                QStringLiteral("\r\n"),       QStringLiteral("\n"),    QStringLiteral("日本語"),
                                QStringLiteral("中文"),       QStringLiteral("&amp;"), QStringLiteral(" x "),
                                QStringLiteral("\U0001F600"), QStringLiteral("<DT>"),  QStringLiteral("=")};
    QRandomGenerator rng(20261206);
    const auto text = [&] {
        QString s;
        const int n = int(rng.bounded(6));
        for (int i = 0; i < n; ++i)
            s += pieces[int(rng.bounded(pieces.size()))];
        return s;
    };
    for (int round = 0; round < 50; ++round) {
        Document doc;
        doc.caption = oneLine(text());
        int open = 0;
        const int count = int(rng.bounded(40));
        for (int i = 0; i < count; ++i) {
            const int level = int(rng.bounded(open + 1));
            const qint64 big = qint64(rng.generate64() >> 20) - (qint64(1) << 42);
            if (rng.bounded(3) == 0) {
                doc.items.append(folder(level, oneLine(text()), big));
                open = level + 1;
            } else {
                doc.items.append(bookmark(level, oneLine(text()), oneLine(text()), big, big / 3, -big));
                open = level;
            }
        }
        bool ok = false;
        const Document back = parsed(write(doc), &ok);
        ASSERT_TRUE(ok) << round;
        EXPECT_EQ(back.caption, doc.caption) << round;
        ASSERT_EQ(back.items, doc.items) << round;
    }
}

TEST(BookmarkFileReader, ToleratesTheShapesOtherProgramsWrite)
{
    const QByteArray file = "<!doctype netscape-bookmark-file-1>\n"
                            "<title>Mixed</title><h1>h</h1>\n"
                            "<dl>\n"
                            "<dt><h3 last_modified='7' add_date=8>Folder &amp; more</h3>\n"
                            "<dd>a description with <b>markup</b>\n"
                            "<DL><p>\n"
                            "  <dt><a last_visit=\"3\" add_date = '2' href=http://x/?a=1&amp;b=2 last_modified=\"4\" "
                            ">Link &#39;one&#x27;</a></dt>\n"
                            "  <HR>    <DT><A HREF='http://y/'>Two\nlines</A>\n"
                            "</DL>\n"
                            "<DT><A HREF=\"http://z/\" ADD_DATE=\"1466267453000\" LAST_VISIT=\"4102444800\" "
                            "LAST_MODIFIED=\"10/Oct/2000\">Dates</A>\n"
                            "</dl>\n";
    bool ok = false;
    const Document doc = parsed(file, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(doc.caption, u"Mixed");
    ASSERT_EQ(doc.items.size(), 4);
    Item first = folder(0, QStringLiteral("Folder & more"), 8);
    first.extras.attributes = {{QStringLiteral("last_modified"), QStringLiteral("7")}};
    first.extras.description = QStringLiteral("a description with markup");
    EXPECT_EQ(doc.items[0], first);
    EXPECT_EQ(doc.items[1], bookmark(1, QStringLiteral("Link 'one'"), QStringLiteral("http://x/?a=1&b=2"), 2, 3, 4));
    Item afterRule = bookmark(1, QStringLiteral("Two lines"), QStringLiteral("http://y/"));
    afterRule.extras.separatorsBefore = 1;
    EXPECT_EQ(doc.items[2], afterRule);
    // milliseconds and dates past 2038 are numbers; a malformed date reads 0 and keeps the item
    EXPECT_EQ(doc.items[3],
              bookmark(0, QStringLiteral("Dates"), QStringLiteral("http://z/"), 1466267453000LL, 4102444800LL, 0));
}

TEST(BookmarkFileReader, RefusesWhatItCannotTurnIntoNodes)
{
    struct Case {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"no title and no doctype", "<DL><p><DT><A HREF=\"u\">a</A></DL>"},
        {"a page with a title and nothing of a bookmark list",
         "<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY><P>text <A HREF=\"u\">a</A></P></BODY></HTML>"},
        {"a bookmark without address", listFile("<DT><A ADD_DATE=\"1\">a</A>")},
        {"an item cut off", "<TITLE>t</TITLE><DL><p><DT><A HREF=\"u\">a</A><DT><A HREF=\"v"},
        {"an unterminated quote", "<TITLE>t</TITLE><DL><p><DT><A HREF=\"u>a</A></DL>"},
    };
    for (const Case &c : cases) {
        Document doc;
        doc.caption = QStringLiteral("stale");
        QString error;
        EXPECT_FALSE(parse(c.bytes, 1252, &doc, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
        EXPECT_TRUE(doc.items.isEmpty()) << c.name;
        EXPECT_TRUE(doc.caption.isEmpty()) << c.name;
    }
}

TEST(BookmarkFileReader, ItemsAfterTheTopLevelListHasClosedStayInIt)
{
    // a stray end of list closes the top-level list early: what follows it, folders with their lists
    // and the rule before them included, is still read into the top-level list
    bool ok = false;
    const Document stray = parsed(listFile("<DT><H3>F</H3>\n<DL><p>\n<DT><A HREF=\"u\">a</A>\n</DL><p>\n</DL><p>\n"
                                           "<HR>\n<DT><A HREF=\"v\">b</A>\n<DT><H3>G</H3>\n<DL><p>\n"
                                           "<DT><A HREF=\"w\">c</A>\n</DL><p>") +
                                      "</DL><p>\n<DT><A HREF=\"x\">d</A>\n<HR>\n",
                                  &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(shapeOf(stray), QStringList({"F", "  a", "b", "G", "  c", "d"}));
    ASSERT_EQ(stray.items.size(), 6);
    EXPECT_EQ(stray.items[2].extras.separatorsBefore, 1);
    EXPECT_EQ(stray.separatorsAtEnd, 1);
    // written back, the file is one proper list and reads the same
    Document again;
    ASSERT_TRUE(parse(write(stray), 1252, &again));
    EXPECT_EQ(again.items, stray.items);
    EXPECT_EQ(again.separatorsAtEnd, 1);
    // a second top-level list joins the first
    const Document two =
        parsed(listFile("<DT><A HREF=\"u\">a</A>") + "<DL><p>\n<DT><A HREF=\"v\">b</A>\n</DL><p>\n", &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(two.items.size(), 2);
    EXPECT_EQ(two.items[0], bookmark(0, QStringLiteral("a"), QStringLiteral("u")));
    EXPECT_EQ(two.items[1], bookmark(0, QStringLiteral("b"), QStringLiteral("v")));
}

TEST(BookmarkFileReader, ItemsOfAFileWithoutAnyListAreTopLevelItems)
{
    // the export of a tool that writes its items without a list around them
    const QByteArray file = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Export</TITLE>\n<H1>Export</H1>\n"
                            "<DT><A HREF=\"http://a/\" ADD_DATE=\"5\">A</A>\n<DD>first\n"
                            "<DT><H3 ADD_DATE=\"6\">F</H3>\n<HR>\n<DT><A HREF=\"http://b/\">B</A>\n<HR>\n";
    bool ok = false;
    const Document doc = parsed(file, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(doc.caption, u"Export");
    ASSERT_EQ(doc.items.size(), 3);
    Item a = bookmark(0, QStringLiteral("A"), QStringLiteral("http://a/"), 5);
    a.extras.description = QStringLiteral("first");
    EXPECT_EQ(doc.items[0], a);
    EXPECT_EQ(doc.items[1], folder(0, QStringLiteral("F"), 6));
    Item b = bookmark(0, QStringLiteral("B"), QStringLiteral("http://b/"));
    b.extras.separatorsBefore = 1;
    EXPECT_EQ(doc.items[2], b);
    EXPECT_EQ(doc.separatorsAtEnd, 1);
    // written back, the items stand in a list and read the same
    Document again;
    ASSERT_TRUE(parse(write(doc), 1252, &again));
    EXPECT_EQ(again.items, doc.items);
    EXPECT_EQ(again.separatorsAtEnd, 1);

    // a title without the DOCTYPE and items without a list: still a bookmark file
    const Document titled = parsed("<TITLE>t</TITLE>\n<DT><A HREF=\"u\">a</A>\n<DT><H3>f</H3>", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(shapeOf(titled), QStringList({"a", "f"}));

    // the header and no items: an empty list
    for (const QByteArray &empty :
         {QByteArray("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>t</TITLE>\n<H1>t</H1>\n<P>text</P>"),
          QByteArray("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n")}) {
        Document d;
        d.items.append(bookmark(0, QStringLiteral("stale"), QStringLiteral("s")));
        QString error;
        EXPECT_TRUE(parse(empty, 1252, &d, &error)) << error.toStdString();
        EXPECT_TRUE(d.items.isEmpty());
    }
}

TEST(BookmarkFileReader, ItemsBeforeTheFirstListAreTopLevelItems)
{
    // the layout of a Safari export: top-level folders stand before any list, each followed by its own
    const QByteArray file = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<HTML>\n<META HTTP-EQUIV=\"Content-Type\" "
                            "CONTENT=\"text/html; charset=UTF-8\">\n<Title>Bookmarks</Title>\n<H1>Bookmarks</H1>\n"
                            "<DT><H3 FOLDED>Favorites</H3>\n<DL><p>\n<DT><A HREF=\"http://a/\">A</A>\n"
                            "<DT><H3 FOLDED>Sub</H3>\n<DL><p>\n<DT><A HREF=\"http://b/\">B</A>\n</DL><p>\n</DL><p>\n"
                            "<DT><H3 FOLDED id=\"com.apple.ReadingList\">Reading List</H3>\n<DL><p>\n</DL><p>\n"
                            "<DT><A HREF=\"http://c/\">C</A>\n</HTML>\n";
    bool ok = false;
    const Document doc = parsed(file, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(shapeOf(doc), QStringList({"Favorites", "  A", "  Sub", "    B", "Reading List", "C"}));
    // bare items ahead of the top-level list join it
    const Document ahead = parsed("<TITLE>t</TITLE><DT><A HREF=\"u\">a</A><DL><p><DT><A HREF=\"v\">b</A></DL>", &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(ahead.items.size(), 2);
    EXPECT_EQ(ahead.items[0], bookmark(0, QStringLiteral("a"), QStringLiteral("u")));
    EXPECT_EQ(ahead.items[1], bookmark(0, QStringLiteral("b"), QStringLiteral("v")));
}

TEST(BookmarkFileReader, OnlyALinkRightAfterADtIsABookmark)
{
    // a bookmark service's thumbnail link and a named anchor in descriptions are text of the description
    const Document doc =
        parsed(listFile("<DT><A HREF=\"http://x/\">X</A>\n"
                        "<DD>See <a name=\"x\">this</a> <A HREF=\"http://thumb/\"><IMG SRC=\"t.png\"></A>\n"
                        "<DT><p><A HREF=\"http://y/\">Y</A>\n"
                        "<A HREF=\"http://stray/\">stray</A>"));
    ASSERT_EQ(doc.items.size(), 2);
    EXPECT_EQ(doc.items[0].url, u"http://x/");
    EXPECT_EQ(doc.items[0].extras.description, u"See this");
    EXPECT_EQ(doc.items[1].url, u"http://y/");
    bool ok = false;
    parsed(listFile("<DT><A HREF=\"u\">a</A><DD>See <a name=\"x\">this</a>"), &ok);
    EXPECT_TRUE(ok);
}

TEST(BookmarkFileRoundTrip, WhatOtherBrowsersStoreIsWrittenBack)
{
    const QByteArray file =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n<DL><p>\n"
        "    <DT><H3 ADD_DATE=\"5\" LAST_MODIFIED=\"6\" PERSONAL_TOOLBAR_FOLDER=\"true\">Toolbar</H3>\n"
        "    <DD>The toolbar &amp; its links\n"
        "    <DL><p>\n"
        "        <DT><A HREF=\"http://k/?q=%s\" ADD_DATE=\"1\" ICON_URI=\"http://k/i.ico\" "
        "ICON=\"data:image/png;base64,AAA=\" SHORTCUTURL=\"kw\" TAGS=\"one,two\" POST_DATA=\"q=%s\">Search</A>\n"
        "        <DD>finds things\n"
        "        <HR>\n"
        "    </DL><p>\n"
        "    <HR>\n"
        "    <DT><A HREF=\"http://m/\" FEED>Feed</A>\n"
        "    <HR>\n"
        "</DL><p>\n";
    bool ok = false;
    const Document doc = parsed(file, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(doc.items.size(), 3);
    const QByteArray out = write(doc);
    // the other attributes follow the fixed ones, the description its item, the rules where they stood
    EXPECT_TRUE(out.contains("    <DT><H3 FOLDED ADD_DATE=\"5\" LAST_MODIFIED=\"6\" PERSONAL_TOOLBAR_FOLDER=\"true\">"
                             "Toolbar</H3>\r\n    <DD>The toolbar &amp; its links\r\n    <DL><p>\r\n"))
        << out.toStdString();
    EXPECT_TRUE(
        out.contains("        <DT><A HREF=\"http://k/?q=%s\" ADD_DATE=\"1\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\" "
                     "ICON_URI=\"http://k/i.ico\" ICON=\"data:image/png;base64,AAA=\" SHORTCUTURL=\"kw\" "
                     "TAGS=\"one,two\" POST_DATA=\"q=%s\">Search</A>\r\n        <DD>finds things\r\n"
                     "        <HR>\r\n    </DL><p>\r\n    <HR>\r\n    <DT><A HREF=\"http://m/\" ADD_DATE=\"0\" "
                     "LAST_VISIT=\"0\" LAST_MODIFIED=\"0\" FEED>Feed</A>\r\n    <HR>\r\n</DL><p>\r\n"))
        << out.toStdString();
    const Document again = parsed(out, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(again.items, doc.items);
    EXPECT_EQ(again.separatorsAtEnd, 1);
    // a name that could break the tag is not written
    Document odd;
    odd.items = {bookmark(0, QStringLiteral("t"), QStringLiteral("u"))};
    odd.items[0].extras.attributes = {{QStringLiteral("A\"B"), QStringLiteral("v")},
                                      {QStringLiteral("OK"), QStringLiteral("<\">")}};
    EXPECT_TRUE(write(odd).contains("LAST_MODIFIED=\"0\" OK=\"&lt;&quot;&gt;\">t</A>")) << write(odd).toStdString();
}

TEST(BookmarkFileReader, NestingIsBoundedWithoutRecursion)
{
    const auto nested = [](int depth) {
        QByteArray body;
        for (int i = 0; i < depth; ++i)
            body += "<DT><H3>f</H3><DL><p>";
        body += "<DT><A HREF=\"u\">leaf</A>";
        for (int i = 0; i < depth; ++i)
            body += "</DL><p>";
        return listFile(body);
    };
    bool ok = false;
    const Document doc = parsed(nested(MaxDepth), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(doc.items.last().level, MaxDepth);
    parsed(nested(MaxDepth + 1), &ok);
    EXPECT_FALSE(ok);
    // a million unclosed lists is refused, not a crash
    parsed("<TITLE>t</TITLE><DL>" + QByteArray("<DL>").repeated(1000000), &ok);
    EXPECT_FALSE(ok);
}

TEST(BookmarkFileReader, DecodesByBomThenMetaThenUtf8ThenTheLegacyCodePage)
{
    const QString title = QStringLiteral("日本語のしおり");
    const QByteArray body = "<DT><A HREF=\"u\">";
    const auto file = [&](const QByteArray &prefix, const QByteArray &titleBytes) {
        return prefix + "<TITLE>t</TITLE><DL><p>" + body + titleBytes + "</A></DL><p>";
    };
    // byte-order mark
    EXPECT_EQ(parsed(file("\xEF\xBB\xBF", title.toUtf8())).items.value(0).title, title);
    // charset of a META tag, whatever the interface language
    const QByteArray sjis = codepage::encode(title, 932);
    EXPECT_EQ(
        parsed(file("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">", sjis), nullptr, 1252)
            .items.value(0)
            .title,
        title);
    EXPECT_EQ(parsed(file("<meta charset='windows-1252'>", "caf\xE9"), nullptr, 932).items.value(0).title, u"café");
    // valid UTF-8 without any declaration
    EXPECT_EQ(parsed(file("", title.toUtf8()), nullptr, 932).items.value(0).title, title);
    // a file of the old program: the interface language's code page, raw markup characters kept
    EXPECT_EQ(parsed(file("", sjis), nullptr, 932).items.value(0).title, title);
    const QString big5 = QStringLiteral("書籤 & 網址");
    EXPECT_EQ(parsed(file("", codepage::encode(big5, 950)), nullptr, 950).items.value(0).title, big5);
    // UTF-16 with its mark
    QByteArray utf16("\xFF\xFE");
    const QString whole = QString::fromUtf8(file("", title.toUtf8()));
    utf16.append(reinterpret_cast<const char *>(whole.utf16()), whole.size() * 2);
    EXPECT_EQ(parsed(utf16).items.value(0).title, title);
}

TEST(BookmarkFileReader, CharacterReferences)
{
    EXPECT_EQ(decodeEntities(u"a&amp;b &lt;&gt;&quot;&apos;&nbsp;"), QStringLiteral("a&b <>\"'\u00A0"));
    EXPECT_EQ(decodeEntities(u"&#65;&#x263a;&#X1F600;"), QStringLiteral("A\u263A\U0001F600"));
    // not references: kept as they stand
    EXPECT_EQ(decodeEntities(u"&folder=1&x;&#0;&#xD800;&#99999999;& ;&"), u"&folder=1&x;&#0;&#xD800;&#99999999;& ;&");
}

namespace {

// What a bookmark file reads as: its caption, items, folders, deepest level, first item and first
// bookmark's address.
struct Structure {
    const char *file;
    QString caption;
    int items;
    int folders;
    int maxLevel;
    QString firstTitle;
    QString firstUrl;
};

// Each file of the folder reads with its structure, and what was read writes and reads back the same.
void expectStructures(const QString &folder, std::initializer_list<Structure> files)
{
    for (const Structure &e : files) {
        SCOPED_TRACE(e.file);
        Document doc;
        QString error;
        ASSERT_TRUE(load(folder + u'/' + QLatin1String(e.file), 1252, &doc, &error)) << error.toStdString();
        EXPECT_EQ(doc.caption, e.caption);
        int folders = 0;
        int maxLevel = 0;
        for (const Item &i : doc.items) {
            folders += i.kind == KindFolder;
            maxLevel = std::max(maxLevel, i.level);
            EXPECT_FALSE(i.title.contains(u'\n'));
            EXPECT_FALSE(i.title.contains(u"</"));
            EXPECT_TRUE(i.kind == KindFolder || !i.url.isEmpty());
        }
        EXPECT_EQ(doc.items.size(), e.items);
        EXPECT_EQ(folders, e.folders);
        EXPECT_EQ(maxLevel, e.maxLevel);
        EXPECT_EQ(doc.items.first().title, e.firstTitle);
        const auto firstBookmark =
            std::find_if(doc.items.begin(), doc.items.end(), [](const Item &i) { return i.kind == KindBookmark; });
        ASSERT_NE(firstBookmark, doc.items.end());
        EXPECT_EQ(firstBookmark->url, e.firstUrl);
        bool ok = false;
        const Document again = parsed(write(doc), &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(again.items, doc.items);
    }
}

} // namespace

TEST(BookmarkFileReader, ReadsEveryOwnFileWithItsStructure)
{
    expectStructures(testsupport::ownFixture(QStringLiteral("bookmarks")),
                     {{"nested-folders.html", "Bookmarks", 8, 4, 2, "Reading", "http://example.org/deep"},
                      {"flat-dialects.htm", "Bookmarks", 4, 0, 0, "One's page", "https://one.example/"},
                      {"same-date.htm", "Bookmarks", 3, 0, 0, "Same title", "https://same.example/1"}});
}

TEST(BookmarkFileReader, ReadsEverySharedFileWithItsStructure)
{
    SKIP_WITHOUT_SHARED_FIXTURES();
    expectStructures(
        testsupport::fixture(QStringLiteral("bookmarks")),
        {{"chromium-testdata_epiphany.html", "Bookmarks", 2, 0, 0, "[Tamura Yukari.com]",
          "http://www.tamurayukari.com/"},
         {"chromium-testdata_firefox2.html", "Bookmarks", 6, 4, 1, "Empty's Parent", "http://www.tamurayukari.com/"},
         {"firefox_bookmarks.exported.html", "Bookmarks", 12, 4, 1, "Mozilla Firefox",
          "http://en-us.www.mozilla.com/en-US/firefox/help/"},
         {"kafene_chromium_flat.htm", "Bookmarks", 9, 0, 0, "Cozy - Simple, versatile, yours", "https://cozy.io/en/"},
         {"kafene_delicious.htm", "Bookmarks", 5, 0, 0, "Export Firefox bookmarks to backup or transfer",
          "https://support.mozilla.org/en-US/kb/export-firefox-bookmarks-to-backup-or-transfer"},
         {"kafene_firefox_flat.htm", "Bookmarks", 25, 1, 1, "Recently saved",
          "place:folder=BOOKMARKS_MENU&folder=UNFILED_BOOKMARKS&folder=TOOLBAR&queryType=1&sort=12&maxResults=10&"
          "excludeQueries=1"},
         {"kafene_internet_explorer_11_flat.htm", "Bookmarks", 18, 0, 0, "A better git log (Example)  Coderwall",
          "https://coderwall.com/p/euwpig/a-better-git-log"},
         {"kafene_netscape_basic.htm", "Bookmarks", 2, 0, 0, "Secret stuff", "https://private.tld"},
         {"qutebrowser_firefox_keywords.html", "Bookmarks", 4, 1, 1, "Bookmarks Toolbar", "about:blank/%s"},
         {"shaarli_same_date.htm", "Bookmarks", 3, 0, 0, "Today's first link", "https://fir.st"}});
}

TEST(BookmarkFileReader, OwnFileDetails)
{
    Document doc;
    ASSERT_TRUE(load(testsupport::ownFixture(QStringLiteral("bookmarks/nested-folders.html")), 1252, &doc));
    QStringList shape;
    for (const Item &i : doc.items)
        shape << QString(i.level * 2, u' ') + i.title;
    // the commented-out link is not read, and the folder after "<HR>" on the same line is at the top
    EXPECT_EQ(shape, QStringList({"Reading", "  Empty", "  Deeper", "    Deep page", "  Example & Co", "After the rule",
                                  QString::fromUtf16(u"  Welcome \u2014 dashes"), "Most visited"}));
    EXPECT_EQ(doc.items[0].addDate, 1600000000);
    EXPECT_EQ(doc.items[3].addDate, 1234567890);
    EXPECT_EQ(doc.items[3].lastModified, 1234567891);
    EXPECT_EQ(doc.items[4].url, u"http://example.org/a?x=1&y=2");
    EXPECT_EQ(doc.items[5].kind, KindFolder);
    EXPECT_EQ(doc.items[6].addDate, 0); // "0000000000"
    EXPECT_EQ(doc.items[7].url, u"place:sort=8&maxResults=10");

    ASSERT_TRUE(load(testsupport::ownFixture(QStringLiteral("bookmarks/flat-dialects.htm")), 1252, &doc));
    QStringList titles;
    for (const Item &i : doc.items)
        titles << i.title;
    EXPECT_EQ(titles,
              QStringList({"One's page", "Two lines", "\"Three\" <3>", QString::fromUtf16(u"Vier Br\u00fccken")}));
    EXPECT_EQ(doc.items[1].url, u"https://two.example/path");
    EXPECT_EQ(doc.items[2].url, u"https://three.example/");
}

TEST(BookmarkFileReader, SharedFileDetails)
{
    SKIP_WITHOUT_SHARED_FIXTURES();
    Document doc;
    ASSERT_TRUE(load(testsupport::fixture(QStringLiteral("bookmarks/chromium-testdata_firefox2.html")), 1252, &doc));
    EXPECT_EQ(shapeOf(doc), QStringList({"Empty's Parent", "  Empty", "Not Empty", "  [Tamura Yukari.com]",
                                         "Not Empty But Default", "  Google"}));
    EXPECT_EQ(doc.items[3].addDate, 1234567890);
    EXPECT_EQ(doc.items[3].lastModified, 1234567891);
    EXPECT_EQ(doc.items[5].addDate, 0); // "0000000000"

    ASSERT_TRUE(load(testsupport::fixture(QStringLiteral("bookmarks/firefox_bookmarks.exported.html")), 1252, &doc));
    const auto post =
        std::find_if(doc.items.begin(), doc.items.end(), [](const Item &i) { return i.title == u"test post keyword"; });
    ASSERT_NE(post, doc.items.end());
    EXPECT_EQ(post->url, u"http://test/post");
    EXPECT_EQ(post->level, 1);
    // the folder after "<HR>" on the same line is still a top-level folder
    const auto test =
        std::find_if(doc.items.begin(), doc.items.end(), [](const Item &i) { return i.title == u"test"; });
    ASSERT_NE(test, doc.items.end());
    EXPECT_EQ(test->level, 0);
    EXPECT_EQ(test->kind, KindFolder);

    ASSERT_TRUE(load(testsupport::fixture(QStringLiteral("bookmarks/kafene_firefox_flat.htm")), 1252, &doc));
    EXPECT_EQ(doc.items.size(), 25);
    const auto curly =
        std::find_if(doc.items.begin(), doc.items.end(), [](const Item &i) { return i.title.startsWith(u"Welcome "); });
    ASSERT_NE(curly, doc.items.end());
    EXPECT_EQ(curly->title, QStringLiteral("Welcome \u2014 Statistics Done Wrong"));
}

TEST(BookmarkFileSave, WritesAtomicallyAndKeepsTheOldFileOnFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.htm"));
    Document doc;
    doc.caption = QStringLiteral("old");
    QString error;
    ASSERT_TRUE(save(path, doc, &error));
    const QByteArray before = testsupport::readBytes(path);
    EXPECT_EQ(before, write(doc));

    // a write that the file system cuts short
    for (int i = 0; i < 2000; ++i)
        doc.items.append(
            bookmark(0, QStringLiteral("bookmark %1").arg(i), QStringLiteral("http://example.org/%1").arg(i)));
    bool saved = true;
    {
        const testsupport::FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        saved = save(path, doc, &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(testsupport::readBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"list.htm"})); // no temporary left

    EXPECT_FALSE(save(dir.filePath(QStringLiteral("missing/list.htm")), doc, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(BookmarkFileLoad, MissingAndOversizedFilesFail)
{
    Document doc;
    QString error;
    EXPECT_FALSE(load(QStringLiteral("/nonexistent/bookmarks.htm"), 1252, &doc, &error));
    QTemporaryDir dir;
    EXPECT_FALSE(load(dir.path(), 1252, &doc, &error));
    // a device never ends: it is not read at all, and the reason says what it is
    EXPECT_FALSE(load(QStringLiteral("/dev/zero"), 1252, &doc, &error));
    EXPECT_EQ(error, QStringLiteral("it is a device, not a file"));
}
