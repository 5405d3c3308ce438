// Where the settings file goes.
#include "platform/PlatformPaths.h"

#include "common/TestSupport.h"
#include "platform/AtomicFiles.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <dirent.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(PlatformPaths, SettingsFileNextToWritableExecutable)
{
    QTemporaryDir dir;
    EXPECT_EQ(platformpaths::settingsFileFor(dir.path() + "/brivo"), dir.path() + "/brivo.ini");
    if (::geteuid() != 0) {
        EXPECT_EQ(platformpaths::settingsFileFor("/usr/bin/brivo"), platformpaths::configDir() + "/brivo.ini");
    }
}

TEST(PlatformPaths, TheShippedSettingsSeedTheUsersSettingsFileOnce)
{
    QTemporaryDir dir;
    const QString shipped = platformpaths::shippedSettingsFileFor(dir.path() + "/bin/brivo");
    EXPECT_EQ(shipped, dir.path() + "/bin/brivo.ini");
    const QString user = dir.path() + "/config/brivo/brivo.ini";
    // nothing shipped: nothing to copy, and no file made
    EXPECT_TRUE(platformpaths::seedSettingsFile(shipped, user));
    EXPECT_FALSE(QFileInfo::exists(user));
    testsupport::writeBytes(shipped, "[Links]\nHome=https://home.example/\n");
    EXPECT_TRUE(platformpaths::seedSettingsFile(shipped, user));
    EXPECT_EQ(testsupport::readBytes(user), "[Links]\nHome=https://home.example/\n");
    // the user's file is never replaced
    testsupport::writeBytes(user, "[Links]\n");
    EXPECT_TRUE(platformpaths::seedSettingsFile(shipped, user));
    EXPECT_EQ(testsupport::readBytes(user), "[Links]\n");
    // settings kept beside the program are the shipped file itself
    EXPECT_TRUE(platformpaths::seedSettingsFile(shipped, shipped));
    EXPECT_FALSE(QFileInfo::exists(shipped + ".part"));
}

namespace {

// Environment variables set for a test, put back as they were when it ends.
class EnvironmentGuard {
public:
    explicit EnvironmentGuard(std::initializer_list<const char *> names)
    {
        for (const char *name : names)
            m_saved.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
    }
    ~EnvironmentGuard()
    {
        for (const Saved &s : m_saved) {
            if (s.set)
                ::setenv(s.name, s.value.constData(), 1);
            else
                ::unsetenv(s.name);
        }
    }

private:
    struct Saved {
        const char *name;
        bool set;
        QByteArray value;
    };
    QList<Saved> m_saved;
};

QList<QByteArray> entriesOf(const QByteArray &folder)
{
    QList<QByteArray> names;
    if (DIR *d = ::opendir(folder.constData())) {
        while (const dirent *e = ::readdir(d))
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, ".."))
                names.append(e->d_name);
        ::closedir(d);
    }
    return names;
}

// Removes a folder and what it holds, when it goes, by the bytes of its name (Qt's own removal cannot
// name them).
struct RemovedTree {
    QByteArray folder;
    ~RemovedTree()
    {
        ::nftw(
            folder.constData(), [](const char *path, const struct stat *, int, FTW *) { return ::remove(path); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
};

} // namespace

TEST(PlatformPaths, AHomeFolderWhoseNameIsNoUtf8KeepsTheDataUnderTheRealFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray root = QFile::encodeName(dir.path());
    const QByteArray home = root + "/h\xE9me"; // "héme" in Latin-1, as a home made under LANG=C may be named
    ASSERT_EQ(::mkdir(home.constData(), 0700), 0);
    const RemovedTree made[] = {{home}, {root + "/h\xEF\xBF\xBDme"}}; // the second only if a test fails
    const EnvironmentGuard environment({"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"});
    ::setenv("HOME", home.constData(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("XDG_DATA_HOME", "", 1);
    QString error;
    ASSERT_TRUE(atomicfile::write(platformpaths::configDir() + "/probe.ini", "[A]\n", &error)) << error.toStdString();
    ASSERT_TRUE(atomicfile::write(platformpaths::dataDir() + "/probe.dat", "x", &error)) << error.toStdString();
    struct stat sb {};
    EXPECT_EQ(::stat((home + "/.config/brivo/probe.ini").constData(), &sb), 0) << "not in the real home's config";
    EXPECT_EQ(::stat((home + "/.local/share/brivo/probe.dat").constData(), &sb), 0) << "not in the real home's data";
    EXPECT_EQ(entriesOf(root), QList<QByteArray>({"h\xE9me"})) << "a folder was made beside the real home";
    // the same for a config folder named in the environment below such a home, and for plain names
    ::setenv("XDG_CONFIG_HOME", (home + "/conf").constData(), 1);
    ASSERT_TRUE(atomicfile::write(platformpaths::configDir() + "/probe.ini", "[B]\n", &error)) << error.toStdString();
    EXPECT_EQ(::stat((home + "/conf/brivo/probe.ini").constData(), &sb), 0);
    EXPECT_EQ(platformpaths::fromLocalBytes("/tmp/plain/d\xC3\xA9j\xC3\xA0"), QString::fromUtf8("/tmp/plain/déjà"));
    // Qt's own data folder, which a library makes its folders in, is pointed at the real one for a while
    ::unsetenv("XDG_DATA_HOME");
    platformpaths::pointQtDataHome();
    EXPECT_TRUE(QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/lib"));
    EXPECT_EQ(::stat((home + "/.local/share/lib").constData(), &sb), 0);
    platformpaths::restoreQtDataHome();
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_DATA_HOME")) << "the user's environment is put back";
    EXPECT_EQ(entriesOf(root), QList<QByteArray>({"h\xE9me"}));
}
