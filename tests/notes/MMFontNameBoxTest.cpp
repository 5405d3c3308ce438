// The font name box: faces listed once, the filters and the two pictures, the face set by the program
// or picked by the user (only the pick is a change), the grey colour, and the faces the system reads.
#include "notes/MMFontNameBox.h"

#include "common/SeamGuards.h"
#include "platform/FontFaces.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TMMFontData face(const char *name, TFontNameBoxFontType type, TFontNameBoxFontPitch pitch,
                 TFontNameBoxFontFamily family)
{
    TMMFontData d;
    d.Name = QString::fromLatin1(name);
    d.FontType = type;
    d.Pitch = pitch;
    d.Family = family;
    return d;
}

class FontNameBox : public ::testing::Test {
protected:
    void SetUp() override { GetFonts(); }
    void TearDown() override
    {
        SetFontSource({});
        GetFonts();
    }
    static QStringList items(const TMMFontNameBox &box)
    {
        QStringList names;
        for (int i = 0; i < box.count(); ++i)
            names.append(box.itemText(i));
        return names;
    }

    QList<TMMFontData> faces{
        face("Zeta Sans", fctTrueType, fcpVariable, fcfSwiss), face("Alpha Serif", fctTrueType, fcpVariable, fcfRoman),
        face("Zeta Sans", fctTrueType, fcpVariable, fcfSwiss), // the same face in another character set
        face("Fixed Cell", fctRaster, fcpFixed, fcfModern),    face("Printer Face", fctDevice, fcpDefault, fcfDontcare),
        face("beta Mono", fctTrueType, fcpFixed, fcfModern),
    };
    const testsupport::SeamGuard source =
        testsupport::SeamGuard([previous = SetFontSource([this] { return faces; })] { SetFontSource(previous); });
};

TEST_F(FontNameBox, ListsEachFaceOnceSortedWithItsPicture)
{
    TMMFontNameBox box;
    EXPECT_EQ(items(box), QStringList({"Alpha Serif", "beta Mono", "Fixed Cell", "Printer Face", "Zeta Sans"}));
    EXPECT_EQ(box.ImageIndexOf(box.findText("Alpha Serif")), 1);
    EXPECT_EQ(box.ImageIndexOf(box.findText("Fixed Cell")), 2);
    EXPECT_EQ(box.ImageIndexOf(box.findText("Printer Face")), 2);
}

TEST_F(FontNameBox, FiltersByTypePitchAndFamily)
{
    TMMFontNameBox box;
    box.SetFontTypes(fctTrueType);
    EXPECT_EQ(items(box), QStringList({"Alpha Serif", "beta Mono", "Zeta Sans"}));
    box.SetFontTypes(AllFontTypes);
    box.SetFontPitchs(fcpFixed);
    EXPECT_EQ(items(box), QStringList({"beta Mono", "Fixed Cell"}));
    box.SetFontPitchs(AllFontPitchs);
    box.SetFontFamilies(fcfSwiss | fcfDontcare);
    EXPECT_EQ(items(box), QStringList({"Printer Face", "Zeta Sans"}));

    // the same filter again does not rebuild: a face added meanwhile stays out
    faces.append(face("Late Sans", fctTrueType, fcpVariable, fcfSwiss));
    GetFonts();
    box.SetFontFamilies(fcfSwiss | fcfDontcare);
    EXPECT_EQ(box.findText("Late Sans"), -1);
    box.Rebuild();
    EXPECT_NE(box.findText("Late Sans"), -1);
}

TEST_F(FontNameBox, OnlyTheUsersPickIsAChange)
{
    TMMFontNameBox box;
    int changes = 0;
    box.OnChange = [&](TCustomMMFontNameBox *) { ++changes; };
    box.SetFontName("Zeta Sans");
    EXPECT_EQ(box.FontName(), "Zeta Sans");
    box.Rebuild();
    box.SetFontTypes(fctTrueType);
    EXPECT_EQ(changes, 0);

    box.SetFontName("No Such Face");
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.FontName(), QString());

    box.show();
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(box.FontName().isEmpty());
}

TEST_F(FontNameBox, ADisabledBoxShowsTheButtonFace)
{
    TMMFontNameBox box;
    const QPalette standard = QApplication::palette(&box);
    box.setEnabled(false);
    EXPECT_EQ(box.palette().color(QPalette::Disabled, QPalette::Base),
              standard.color(QPalette::Active, QPalette::Button));
    box.setEnabled(true);
    EXPECT_EQ(box.palette().color(QPalette::Disabled, QPalette::Base),
              standard.color(QPalette::Disabled, QPalette::Base));
}

TEST_F(FontNameBox, AChangeOfTheInstalledFontsRefillsEveryBox)
{
    TMMFontNameBox first;
    TMMFontNameBox second;
    second.SetFontTypes(fctTrueType);
    first.SetFontName("Alpha Serif");
    int changes = 0;
    first.OnChange = [&](TCustomMMFontNameBox *) { ++changes; };
    faces.append(face("New Face", fctTrueType, fcpVariable, fcfSwiss));
    emit fontfaces::Watcher::instance().fontsChanged();
    EXPECT_NE(first.findText("New Face"), -1);
    EXPECT_NE(second.findText("New Face"), -1);
    EXPECT_EQ(first.FontName(), "Alpha Serif"); // the shown face stays
    EXPECT_EQ(changes, 0);
}

TEST(FontFaces, TheSystemsFacesAreReadWithTheirKind)
{
    const QList<fontfaces::Face> system = fontfaces::installed();
    if (system.isEmpty())
        GTEST_SKIP() << "this machine has no fonts installed";
    // the packages the program installs bring scalable TrueType or OpenType faces
    const bool outline = std::any_of(system.cbegin(), system.cend(), [](const fontfaces::Face &f) {
        return f.Scalable && (f.Format == "TrueType" || f.Format == "CFF") && !f.Family.isEmpty();
    });
    EXPECT_TRUE(outline);
    EXPECT_FALSE(fontfaces::fontFolders().isEmpty());

    // the box lists each of them once
    SetFontSource({});
    GetFonts();
    TMMFontNameBox box;
    QStringList names;
    for (int i = 0; i < box.count(); ++i)
        names.append(box.itemText(i).toLower());
    EXPECT_EQ(names.size(), QSet<QString>(names.cbegin(), names.cend()).size());
    EXPECT_GT(box.count(), 0);
}

} // namespace
