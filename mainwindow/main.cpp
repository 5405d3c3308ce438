// Start-up block of the browser.
#include "browser/PageRendering.h"
#include "browser/WebEngineProfiles.h"
#include "explorerbar/FavoritesTransfers.h"
#include "mainwindow/Hints.h"
#include "mainwindow/Icons.h"
#include "mainwindow/MainCompact02.h"
#include "notes/RtfCodec.h"
#include "platform/ApplicationTitle.h"
#include "platform/ExceptionGuard.h"
#include "platform/PlatformPaths.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <cstdio>

int main(int argc, char **argv)
{
    // a write past the file-size limit (the history database's first page, the settings file) fails
    // with its reason like any other failed write instead of ending the program by its signal
    ::signal(SIGXFSZ, SIG_IGN);

    // the one argument (a URL or file name) is taken before Qt reads its own options from the line
    QString argument;
    if (argc > 1)
        argument = QString::fromLocal8Bit(argv[1]);

    webengine::prepareEnvironment(); // before the application object: the engine's sandbox
    GuardedApplication app(argc, argv);
    pagerendering::chooseRenderer(); // before the first page view
    QCoreApplication::setApplicationName(QStringLiteral("brivo"));
    // the help pages stand in the "help" folder beside the program
    app.setProperty("HelpFile", QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() +
                                    QStringLiteral("/help/index.html"));
    applicationtitle::set(QStringLiteral("Brivo"));
    hints::installFilter();
    InstallRtfCodec();            // the notes editor reads and writes rich text through it
    favoritestransfer::install(); // favorites import and export go through bookmark files
    QApplication::setWindowIcon(icons::programIcon());

    try {
        // a first start in the user's config folder begins with the settings shipped beside the program
        platformpaths::seedSettingsFile();
        // the settings object lives until the process ends
        BrivoIni = new TBrivoIni();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "brivo: %s\n", e.what());
        return 1;
    }
    applicationtitle::set(QStringLiteral("BRIVO BROWSER 2"));

    frmMain = new TfrmMain();
    frmMain->StartUp(argument);
    const int code = app.exec();
    delete frmMain;
    return code;
}
