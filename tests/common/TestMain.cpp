// main() of every test executable: the program's application object on the offscreen platform, with HOME and the XDG
// folders pointed at a private temporary folder so no test touches the user's own files.
#include "platform/ExceptionGuard.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray base = QFile::encodeName(home.path());
    setenv("HOME", base.constData(), 1);
    setenv("XDG_CONFIG_HOME", (base + "/.config").constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/.local/share").constData(), 1);
    setenv("XDG_CACHE_HOME", (base + "/.cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/run").constData(), 1);
    QDir().mkpath(home.path() + "/run");
    QFile::setPermissions(home.path() + "/run",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    ::testing::InitGoogleTest(&argc, argv);
    // the program's own application object, so its exception guard is under test too
    GuardedApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
