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
#include "platform/MessageBoxes.h"
#include "platform/PlatformPaths.h"
#include "platform/ResourceLimits.h"
#include "settings/BrivoInisCompact.h"
#include "settings/BrivoSystemCompact.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <utility>

namespace {

// Why a limit leaves the web engine too little room, in the interface language.
QString shortfallText(const resourcelimits::Shortfall &s)
{
    if (s.kind == resourcelimits::Kind::OpenFiles)
        return LimitOpenFilesText.arg(s.limit).arg(s.needed);
    return LimitAddressSpaceText.arg(s.limit >> 20).arg(s.needed >> 20);
}

} // namespace

int main(int argc, char **argv)
{
    // a write past the file-size limit (the history database's first page, the settings file) fails
    // with its reason like any other failed write instead of ending the program by its signal
    ::signal(SIGXFSZ, SIG_IGN);
    // the web engine's processes need room the limits may not give: a soft limit below it is raised
    // where the hard one allows, before anything starts; what is still short is told below
    const QList<resourcelimits::Shortfall> shortfalls = resourcelimits::prepare();
    if (!shortfalls.isEmpty()) {
        // the program only tells why it cannot start: the graphics library, which the application
        // object's set-up of the engine would start and which may crash with too little room, stays out
        qputenv("QT_XCB_GL_INTEGRATION", "none");
        qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    }
    // where OpenGL could only be a software rasteriser the pages are drawn in software anyway: the
    // graphics library stays out (only for the application object's set-up: the variables are gone
    // again before anything else starts, and programs started from here get the user's environment)
    const bool withoutOpenGl = shortfalls.isEmpty() && pagerendering::openGlOnlyInSoftware();
    QList<const char *> setForStart;
    if (withoutOpenGl) {
        for (const auto &[name, value] :
             {std::pair("QT_XCB_GL_INTEGRATION", "none"), std::pair("QT_QPA_OFFSCREEN_NO_GLX", "1")})
            if (!qEnvironmentVariableIsSet(name)) {
                qputenv(name, value);
                setForStart.append(name);
            }
        pagerendering::quietMissingOpenGl();
    }

    // the one argument (a URL or file name) is taken before Qt reads its own options from the line
    QString argument;
    if (argc > 1)
        argument = QString::fromLocal8Bit(argv[1]);

    webengine::prepareEnvironment(); // before the application object: the engine's sandbox
    GuardedApplication app(argc, argv);
    for (const char *name : setForStart)
        qunsetenv(name);
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
    // told in the interface language, before the engine would end the program without a word
    if (!shortfalls.isEmpty()) {
        QStringList reasons;
        for (const resourcelimits::Shortfall &s : shortfalls) {
            reasons.append(shortfallText(s));
            std::fprintf(stderr, "brivo: %s\n", reasons.constLast().toLocal8Bit().constData());
        }
        messageboxes::show(nullptr, reasons.join(u'\n'), applicationtitle::get(),
                           messageboxes::OK | messageboxes::IconStop);
        return 1;
    }
    // before the first page view; after the limits are known to leave room (it starts the graphics
    // library, which may not cope with too little)
    pagerendering::chooseRenderer(withoutOpenGl);

    frmMain = new TfrmMain();
    frmMain->StartUp(argument);
    const int code = app.exec();
    delete frmMain;
    return code;
}
