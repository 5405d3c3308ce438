// links: brivo_mainwindow Qt6::Widgets
// The feedback mail's body lines: any [MailBody] section of the settings file goes into the options
// dialog, comes out as "text=1"/"text=0" lines, is written back through the settings object (a name
// the file cannot hold changed as it tells the user) and read again, and the dialog then shows the
// same lines with the same ticks. The mail body is built from them without a crash.
#include "fuzz/SettingsFuzzing.h"
#include "mainwindow/MailCommands.h"
#include "mainwindow/MailToOptions.h"
#include "settings/BrivoInisCompact.h"

#include <QDebug>
#include <QFile>
#include <cstdint>
#include <cstdlib>

namespace {

QStringList throughDialog(const QStringList &entries)
{
    TfrmMailToOptions dialog(nullptr);
    dialog.SetStrings(entries);
    return dialog.GetStrings();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 64 * 1024)
        return 0;
    const QString file = settingsfuzzing::folder().path() + QStringLiteral("/brivo.ini");
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        out.write("[MailBody]\n");
        out.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QStringList written;
    {
        TBrivoIni ini(file);
        const QStringList shown = throughDialog(ini.MailBody);
        (void)MailBodyText(shown);
        // a name the file cannot hold is stored changed (and the user told): the changed lines are kept
        ini.SetMailBody(shown);
        written = ini.MailBody;
    }
    TBrivoIni again(file);
    // the file gives back what was written, and the dialog shows it as before
    if (throughDialog(again.MailBody) != throughDialog(written)) {
        if (std::getenv("FUZZ_DEBUG"))
            qWarning() << written << again.MailBody << throughDialog(again.MailBody);
        std::abort();
    }
    return 0;
}
