// Start-up block of the browser.
#include "platform/PlatformError.h"
#include "settings/BrivoInisCompact.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    try {
        // the settings object lives until the process ends
        BrivoIni = new TBrivoIni();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "brivo: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "brivo: settings %s, language %s; the main window is not built yet\n",
                 qPrintable(BrivoIni->FileName), qPrintable(LanguageNames.at(int(BrivoIni->Language))));
    return 0;
}
