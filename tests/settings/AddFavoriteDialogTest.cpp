// The add-favorite dialog's file names.
#include "settings/AddFavoriteDialog.h"

#include "common/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(AddFavoriteDialog, NamesAreMadeSafeForFiles)
{
    EXPECT_EQ(TAddFavoriteDialog::SafeFileName(QStringLiteral(" a/b\tc ")), "a_b_c");
    EXPECT_EQ(TAddFavoriteDialog::SafeFileName(QStringLiteral("   ")), "");
    // the favorites tree lists no hidden file
    EXPECT_EQ(TAddFavoriteDialog::SafeFileName(QStringLiteral(" .secret")), "_secret");
    const QString longName(400, QChar(0x65E5)); // three bytes each
    const QString cut = TAddFavoriteDialog::SafeFileName(longName);
    EXPECT_LE(cut.toUtf8().size() + 4, 255);
    EXPECT_GT(cut.toUtf8().size() + 4, 250);
    QTemporaryDir dir;
    TAddFavoriteDialog dialog(dir.path(), QString());
    EXPECT_EQ(dialog.Folder(), QDir::cleanPath(dir.path()));
    dialog.SetName(QStringLiteral("Page"));
    EXPECT_EQ(dialog.TargetFile(), QDir::cleanPath(dir.path()) + QStringLiteral("/Page.url"));
}
