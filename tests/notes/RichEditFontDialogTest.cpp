// The notes font dialog: a font handed in comes back out with the same style when the user changes
// nothing, whatever the font's makers called its plain face ("Book", "Roman", "Regular"...).
#include "notes/RichEditFontDialog.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <gtest/gtest.h>

namespace {

bool isPlain(const QFont &f)
{
    return !f.italic() && !f.bold();
}

// Families that have a plain (upright, not bold) face but list another one first: the families
// where a dialog that loses the style shows and hands back a wrong one.
QStringList familiesWithPlainFaceNotFirst()
{
    QStringList found;
    for (const QString &family : QFontDatabase::families()) {
        const QStringList styles = QFontDatabase::styles(family);
        if (styles.size() < 2 || isPlain(QFontDatabase::font(family, styles.first(), 10)))
            continue;
        for (const QString &style : styles)
            if (isPlain(QFontDatabase::font(family, style, 10))) {
                found << family;
                break;
            }
    }
    return found;
}

} // namespace

TEST(RichEditFontDialog, APlainFontComesBackPlainForEveryFamily)
{
    const QStringList families = familiesWithPlainFaceNotFirst();
    if (families.isEmpty())
        GTEST_SKIP() << "no installed family lists a slanted or bold face before its plain one";
    TRichEditFontDialog dialog;
    for (const QString &family : families) {
        QFont plain(family);
        plain.setPointSize(9);
        dialog.SetFont(plain);
        const QFont back = dialog.Font();
        EXPECT_FALSE(back.italic()) << family.toStdString() << " came back slanted";
        EXPECT_FALSE(back.bold()) << family.toStdString() << " came back bold";
        EXPECT_EQ(back.pointSize(), 9) << family.toStdString();
    }
}

TEST(RichEditFontDialog, BoldItalicComesBackBoldItalic)
{
    TRichEditFontDialog dialog;
    for (const QString &family : familiesWithPlainFaceNotFirst()) {
        QFont f(family);
        f.setBold(true);
        f.setItalic(true);
        f.setPointSize(12);
        dialog.SetFont(f);
        const QFont back = dialog.Font();
        if (!QFontInfo(back).italic())
            continue; // the family has no slanted face at all
        EXPECT_TRUE(back.italic()) << family.toStdString();
        EXPECT_TRUE(back.bold()) << family.toStdString();
    }
}

TEST(RichEditFontDialog, TheWindowHasACaptionOfItsOwn)
{
    // an empty caption makes the window manager show the program's file name ("brivo")
    TRichEditFontDialog dialog;
    EXPECT_FALSE(dialog.windowTitle().trimmed().isEmpty());
}
