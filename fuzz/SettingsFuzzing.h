#pragma once
// What the fuzz targets of the settings dialogs share: the application object on the offscreen
// platform, a private folder for the settings file and the value store, and a dialog runner that
// answers every message at once and counts them.
#include "platform/DialogRunner.h"
#include "platform/PlatformStore.h"

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <cstdlib>

namespace settingsfuzzing {

// Messages answered so far.
inline int messages = 0;

// The private folder; the first call makes the application object and installs the runner.
inline QTemporaryDir &folder()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // never destroyed: the web engine linked in with the dialogs' library cannot be torn down at exit
    static QApplication *app = new QApplication(argc, argv);
    (void)app;
    static QTemporaryDir dir;
    static const bool once = [] {
        platformstore::setFolder(dir.path() + QStringLiteral("/registry"));
        dialogrunner::setRunner([](QDialog &) {
            ++messages;
            return int(QDialog::Accepted);
        });
        return true;
    }();
    (void)once;
    return dir;
}

} // namespace settingsfuzzing
