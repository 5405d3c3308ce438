// The main window as the tests of its commands set it up: a settings object over the test's own file
// and a shown main window, torn down in the reverse order.
#pragma once

#include "mainwindow/MainCompact02.h"
#include "settings/BrivoInisCompact.h"

#include <QString>

namespace mainwindowtest {

inline void openMainWindow(const QString &iniFile)
{
    BrivoIni = new TBrivoIni(iniFile);
    frmMain = new TfrmMain();
    frmMain->show();
}

// Closes and frees the main window (when there is one), then the settings object.
inline void closeMainWindow()
{
    if (frmMain) {
        frmMain->close();
        delete frmMain;
        frmMain = nullptr;
    }
    delete BrivoIni;
    BrivoIni = nullptr;
}

} // namespace mainwindowtest
