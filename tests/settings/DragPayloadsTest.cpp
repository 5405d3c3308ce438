// Drag payloads read by content: link formats in UTF-16 or UTF-8, URI lists, and the bounds of it all.
#include "settings/DragPayloads.h"

#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QByteArray utf16le(const QString &s, bool bom = false)
{
    QByteArray out;
    if (bom)
        out += "\xFF\xFE";
    for (const QChar c : s) {
        out += char(c.unicode() & 0xFF);
        out += char(c.unicode() >> 8);
    }
    return out;
}

QByteArray utf16be(const QString &s)
{
    QByteArray out("\xFE\xFF");
    for (const QChar c : s) {
        out += char(c.unicode() >> 8);
        out += char(c.unicode() & 0xFF);
    }
    return out;
}

} // namespace

TEST(DragPayload, TextIsToldByItsBytes)
{
    const QString text = QString::fromUtf16(u"http://example.org/\u65e5\nTitle");
    EXPECT_EQ(dragpayload::decodeText(utf16le(text)), text);
    EXPECT_EQ(dragpayload::decodeText(utf16le(text, true)), text);
    EXPECT_EQ(dragpayload::decodeText(utf16be(text)), text);
    EXPECT_EQ(dragpayload::decodeText(text.toUtf8()), text);
    EXPECT_EQ(dragpayload::decodeText("\xEF\xBB\xBF" + text.toUtf8()), text);
    // the text ends at its first NUL, and an odd last byte of UTF-16 is no character
    EXPECT_EQ(dragpayload::decodeText(utf16le("ab") + QByteArray(2, '\0') + utf16le("cd")), "ab");
    EXPECT_EQ(dragpayload::decodeText(QByteArray("ab\0cd", 5)), "ab");
    EXPECT_EQ(dragpayload::decodeText(utf16le("ab") + "c"), "ab");
    EXPECT_EQ(dragpayload::decodeText(QByteArray()), "");
    EXPECT_EQ(dragpayload::decodeText(QByteArray("\xFF", 1)), QString(QChar::ReplacementCharacter));
}

TEST(DragPayload, MozillaLinkGivesUrlAndTitle)
{
    QMimeData data;
    data.setData("text/x-moz-url", utf16le(QStringLiteral("https://example.org/a\nExample page")));
    data.setData("text/uri-list", "https://wrong.example/\r\n");
    const TDragPayload p = dragpayload::read(data);
    EXPECT_TRUE(p.Accepted);
    EXPECT_EQ(p.Url, "https://example.org/a");
    EXPECT_EQ(p.Title, "Example page");
    EXPECT_TRUE(p.Files.isEmpty());
}

TEST(DragPayload, LinkWithoutTitleIsItsOwnTitle)
{
    QMimeData data;
    data.setData("_NETSCAPE_URL", "http://example.org/b\r\n");
    TDragPayload p = dragpayload::read(data);
    EXPECT_TRUE(p.Accepted);
    EXPECT_EQ(p.Url, "http://example.org/b");
    EXPECT_EQ(p.Title, "http://example.org/b");

    // an empty Mozilla link falls through to the next format
    QMimeData both;
    both.setData("text/x-moz-url", utf16le(QStringLiteral("\nTitle only")));
    both.setData("_NETSCAPE_URL", "http://n/\nNetscape");
    p = dragpayload::read(both);
    EXPECT_EQ(p.Url, "http://n/");
    EXPECT_EQ(p.Title, "Netscape");
}

TEST(DragPayload, ALinkWithoutATitleTakesItsTextFromTheHtml)
{
    // as a page's link leaves a web view: the address as a URI, the link as HTML
    QMimeData page;
    page.setUrls({QUrl("https://example.org/a?b=1&c=2")});
    page.setHtml(QStringLiteral("<meta charset='utf-8'><a title=\"x>y\" href=\"https://example.org/other\">Other</a> "
                                "<A class=k HREF='https://example.org/a?b=1&amp;c=2'><img src=i.png> The\n  "
                                "<b>link</b> &amp; more</A>"));
    TDragPayload p = dragpayload::read(page);
    EXPECT_EQ(p.Url, "https://example.org/a?b=1&c=2");
    EXPECT_EQ(p.Title, "The link & more");

    // a Mozilla link without its title line, the HTML in UTF-16; no link to the address: the first one
    QMimeData moz;
    moz.setData("text/x-moz-url", utf16le(QStringLiteral("https://m.example/")));
    moz.setData("text/html", utf16le(QStringLiteral("<abbr>no</abbr><a href=/rel>Relative \u65e5</a>"), true));
    p = dragpayload::read(moz);
    EXPECT_EQ(p.Url, "https://m.example/");
    EXPECT_EQ(p.Title, QString::fromUtf16(u"Relative \u65e5"));

    // HTML without the text of a link leaves the address as the title
    QMimeData bare;
    bare.setUrls({QUrl("https://b.example/")});
    bare.setHtml(QStringLiteral("<a href=\"https://b.example/\"><img src=x></a><a href=x"));
    EXPECT_EQ(dragpayload::read(bare).Title, "https://b.example/");
    // a title of its own wins
    QMimeData titled;
    titled.setData("_NETSCAPE_URL", "http://n/\nNetscape");
    titled.setHtml(QStringLiteral("<a href=\"http://n/\">Html</a>"));
    EXPECT_EQ(dragpayload::read(titled).Title, "Netscape");
    // the title is bounded
    const QString huge = QString(100000, u'x');
    EXPECT_EQ(dragpayload::linkTextOfHtml(("<a href=u>" + huge + "</a>").toUtf8(), "u").size(),
              dragpayload::MaxHtmlTitle);
}

TEST(DragPayload, UriListGivesLocalFilesOrItsFirstAddress)
{
    QMimeData files;
    files.setData("text/uri-list", "# comment\r\nfile:///tmp/a%20b.txt\r\nhttps://x.example/\r\n"
                                   "file://localhost/tmp/c.url\r\nfile://server/share/d\r\nfile:rel/e\r\n\r\n");
    TDragPayload p = dragpayload::read(files);
    EXPECT_TRUE(p.Accepted);
    EXPECT_EQ(p.Files, QStringList({"/tmp/a b.txt", "/tmp/c.url"}));

    QMimeData links;
    links.setUrls({QUrl("https://first.example/"), QUrl("https://second.example/")});
    p = dragpayload::read(links);
    EXPECT_TRUE(p.Accepted);
    EXPECT_TRUE(p.Files.isEmpty());
    EXPECT_EQ(p.Url, "https://first.example/");
    EXPECT_EQ(p.Title, p.Url);
}

TEST(DragPayload, DataWithoutALinkOrFileIsRefused)
{
    QMimeData text;
    text.setText(QStringLiteral("https://example.org/"));
    EXPECT_FALSE(dragpayload::read(text).Accepted);

    QMimeData empty;
    empty.setData("text/x-moz-url", QByteArray());
    empty.setData("text/uri-list", "# nothing\r\n");
    const TDragPayload p = dragpayload::read(empty);
    EXPECT_FALSE(p.Accepted);
    EXPECT_TRUE(p.Url.isEmpty());
}
