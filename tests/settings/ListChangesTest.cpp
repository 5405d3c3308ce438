// One user's change of a list applied to the list as another program left it.
#include "settings/ListChanges.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using listchanges::merge;

const QStringList base = {"Home=http://home/", "News=http://news/", "Mail=http://mail/"};

TEST(ListChanges, WithoutAnotherChangeTheUsersListStandsAndWithoutTheUsersChangeTheOther)
{
    const QStringList mine = {"Mail=http://mail/", "home=http://h2/", "New=http://new/", "x", "New=dup"};
    EXPECT_EQ(merge(base, mine, base), mine) << "even lines without a name and repeated names";
    const QStringList theirs = {"News=http://n2/", "Other=http://o/"};
    EXPECT_EQ(merge(base, base, theirs), theirs);
    EXPECT_EQ(merge({}, {}, theirs), theirs);
}

TEST(ListChanges, TwoAdditionsAtTheEndAreBothKeptTheLaterOneLast)
{
    const QStringList theirs = base + QStringList{"Theirs=http://t/"};
    const QStringList mine = base + QStringList{"Mine=http://m/"};
    EXPECT_EQ(merge(base, mine, theirs), base + QStringList({"Theirs=http://t/", "Mine=http://m/"}));
}

TEST(ListChanges, RemovalsChangesAndAdditionsOfBothSidesMeet)
{
    // the user removes News and changes Mail; the other program changes Home and adds one at the start
    const QStringList mine = {"Home=http://home/", "Mail=http://mail2/"};
    const QStringList theirs = {"First=http://f/", "Home=http://home2/", "News=http://news/", "Mail=http://mail/"};
    EXPECT_EQ(merge(base, mine, theirs), QStringList({"First=http://f/", "Home=http://home2/", "Mail=http://mail2/"}));
    // a line the other program removed stays removed unless the user changed it
    const QStringList removed = {"Home=http://home/", "Mail=http://mail/"};
    EXPECT_EQ(merge(base, base, removed), removed);
    EXPECT_EQ(merge(base, {"Home=http://home/", "News=http://n3/", "Mail=http://mail/"}, removed),
              QStringList({"Home=http://home/", "News=http://n3/", "Mail=http://mail/"}));
}

TEST(ListChanges, ANewOrderAndALineInsertedInTheMiddleKeepTheirPlaces)
{
    const QStringList theirs = base + QStringList{"Theirs=http://t/"};
    // moved to the top, and a line inserted before Mail
    const QStringList mine = {"Mail=http://mail/", "Home=http://home/", "Mid=http://mid/", "News=http://news/"};
    EXPECT_EQ(merge(base, mine, theirs), QStringList({"Mail=http://mail/", "Home=http://home/", "Mid=http://mid/",
                                                      "News=http://news/", "Theirs=http://t/"}));
    // "Add to Links" of a name already there moves it behind the user's other lines, with its new address
    const QStringList readded = {"News=http://news/", "Mail=http://mail/", "HOME=http://again/"};
    EXPECT_EQ(merge(base, readded, theirs),
              QStringList({"News=http://news/", "Mail=http://mail/", "HOME=http://again/", "Theirs=http://t/"}));
}

TEST(ListChanges, RepeatedTextsCountByTheirPlace)
{
    // tool-button numbers, with separators (-1) that repeat
    const QStringList buttons = {"0", "-1", "3", "-1", "4"};
    const QStringList theirs = {"0", "-1", "-1", "4"};               // removed 3
    const QStringList mine = {"0", "-1", "3", "-1", "4", "-1", "9"}; // added a separator and 9
    EXPECT_EQ(merge(buttons, mine, theirs, listchanges::byText), QStringList({"0", "-1", "-1", "4", "-1", "9"}));
    EXPECT_EQ(merge(buttons, mine, buttons, listchanges::byText), mine);
}

} // namespace
