// Header and footer codes expanded for a printed page.
#include "browser/HeaderFooters.h"

#include "common/TestSupport.h"

#include <QDateTime>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

THeaderFooterContext context(int page = 2, int count = 5)
{
    THeaderFooterContext c;
    c.title = QStringLiteral("My Title");
    c.url = QStringLiteral("http://example.com/a?b=1&c=2");
    c.page = page;
    c.pageCount = count;
    c.now = QDateTime(QDate(2024, 3, 9), QTime(14, 5));
    c.locale = QLocale::c();
    return c;
}

} // namespace

TEST(HeaderFooter, ProgramHeaderAndFooterExpandWithTheirAlignment)
{
    const THeaderFooterLine header = expandHeaderFooter(QStringLiteral("&w&b&p/&P ページ"), context());
    EXPECT_EQ(header.left, QStringLiteral("My Title"));
    EXPECT_EQ(header.center, QString());
    EXPECT_EQ(header.right, QStringLiteral("2/5 ページ"));

    const THeaderFooterLine footer = expandHeaderFooter(QStringLiteral("&u&b&d"), context());
    EXPECT_EQ(footer.left, QStringLiteral("http://example.com/a?b=1&c=2"));
    EXPECT_EQ(footer.right, QLocale::c().toString(QDate(2024, 3, 9), QLocale::ShortFormat));
}

TEST(HeaderFooter, CodesSplitsAndLiterals)
{
    const auto c = context(1, 1);
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("a&bb&bc"), c).center, QStringLiteral("b"));
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("a&bb&bc"), c).right, QStringLiteral("c"));
    // a third split is dropped; its text joins the right part
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("a&bb&bc&bd"), c).right, QStringLiteral("cd"));
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("100&&&x&"), c).left, QStringLiteral("100&&x&"));
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("&T"), c).left, QStringLiteral("14:05"));
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("&D"), c).left,
              QLocale::c().toString(QDate(2024, 3, 9), QLocale::LongFormat));
    EXPECT_TRUE(expandHeaderFooter(QString(), c).isEmpty());
    // the title's own ampersands and codes are text, not codes
    auto t = c;
    t.title = QStringLiteral("&p&b");
    EXPECT_EQ(expandHeaderFooter(QStringLiteral("&w"), t).left, QStringLiteral("&p&b"));
}
