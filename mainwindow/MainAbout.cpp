// The About command of the main window.
#include "browser/Browser.h"
#include "browser/FindDialogs.h"
#include "browser/IEBrowsers.h"
#include "mainwindow/AboutBrivo01.h"
#include "mainwindow/MainCompact02.h"
#include "platform/DialogRunner.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"

void TfrmMain::actAboutExecute()
{
    // a new box each time, owned by this window and destroyed when the command ends
    TfrmAbout box(this);
    if (const TMemIni *table = BrivoIni->LanguageTable.get())
        box.ApplyLanguage(*table);
    if (dialogrunner::exec(box) == TfrmAbout::mrYes)
        NewBrowser()->WebBrowser()->Navigate(SHomePageUrl);
}
