// The font watch on real folders with a stand-in for the font configuration that, like the real one,
// looks at the folders again only some time after its last look.
#include "platform/FontFaces.h"

#include "common/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace {

// How long the stand-in declines to rescan after a rescan; the watcher looks again after retryMs.
constexpr int RescanIntervalMs = 300;

struct FakeConfiguration {
    QString folder;
    QStringList scanned; // the files found at the last rescan
    int reloads = 0;
    QElapsedTimer sinceRescan;

    fontfaces::Source source()
    {
        sinceRescan.start();
        fontfaces::Source s;
        s.folders = [this] { return QStringList{folder}; };
        s.reload = [this] {
            ++reloads;
            if (sinceRescan.elapsed() < RescanIntervalMs)
                return;
            scanned = QDir(folder).entryList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name);
            sinceRescan.restart();
        };
        s.faces = [this] {
            QList<fontfaces::Face> faces;
            for (const QString &name : std::as_const(scanned))
                faces.append({name, QStringLiteral("TrueType"), 0, true});
            return faces;
        };
        s.quietMs = 20;
        s.retryMs = RescanIntervalMs + 100;
        return s;
    }
};

void writeFont(const QString &path)
{
    testsupport::writeBytes(path, QByteArray("\0\1\0\0", 4));
}

TEST(FontFaces, FontsAddedSoonAfterALookAndInAFolderMadeLaterAreFound)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    FakeConfiguration config;
    config.folder = home.filePath(QStringLiteral("share/fonts")); // neither folder exists yet
    fontfaces::Watcher watcher(config.source());
    int changes = 0;
    QObject::connect(&watcher, &fontfaces::Watcher::fontsChanged, [&] { ++changes; });
    EXPECT_EQ(watcher.watchedFolders(), QStringList{home.path()});
    EXPECT_FALSE(watcher.retryPending());

    // the folder is made: it is watched instead of the one above; nothing new is looked at twice, then
    // no timer is left
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("share")));
    ASSERT_TRUE(waitUntil([&] { return watcher.watchedFolders() == QStringList{home.filePath("share")}; }))
        << watcher.watchedFolders().join(u' ').toStdString();
    EXPECT_EQ(config.reloads, 0); // a folder above the font folders changed, not the fonts
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("share/fonts")));
    ASSERT_TRUE(waitUntil([&] { return watcher.watchedFolders() == QStringList{config.folder}; }))
        << watcher.watchedFolders().join(u' ').toStdString();
    ASSERT_TRUE(waitUntil([&] { return config.reloads >= 2 && !watcher.retryPending(); }))
        << config.reloads << " reloads";
    EXPECT_EQ(changes, 0);

    // a font copied right after the configuration's last look is found by the look after that
    writeFont(config.folder + QStringLiteral("/first.ttf"));
    ASSERT_TRUE(waitUntil([&] { return changes == 1; })) << config.reloads << " reloads, " << changes << " changes";
    EXPECT_EQ(config.scanned, QStringList{"first.ttf"});
    EXPECT_FALSE(watcher.retryPending());

    // and so is a second one a moment later
    writeFont(config.folder + QStringLiteral("/second.ttf"));
    ASSERT_TRUE(waitUntil([&] { return changes == 2; })) << config.reloads << " reloads, " << changes << " changes";
    EXPECT_EQ(config.scanned, QStringList({"first.ttf", "second.ttf"}));
    EXPECT_FALSE(watcher.retryPending());

    // a change that brings no font is looked at twice and then left
    const int before = config.reloads;
    testsupport::writeBytes(config.folder + QStringLiteral("/fonts.dir"), "");
    ASSERT_TRUE(waitUntil([&] { return config.reloads >= before + 2 && !watcher.retryPending(); }))
        << config.reloads << " reloads";
    EXPECT_EQ(changes, 2);
}

} // namespace
