// links: brivo_mainwindow Qt6::Widgets
// The links and search-engine dialog's "name=value" lines: any lines go into the dialog; when it
// accepts them, the list it applies is what the settings file gives back (unless the settings object
// said that it changed a name, and then the file gives back what it said it stored).
#include "fuzz/SettingsFuzzing.h"
#include "mainwindow/CustomizeDialog.h"
#include "platform/ProfileIni.h"
#include "platform/TextRules.h"
#include "settings/BrivoInisCompact.h"

#include <QAction>
#include <QFile>
#include <QSet>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 64 * 1024)
        return 0;
    const QString file = settingsfuzzing::folder().path() + QStringLiteral("/brivo.ini");
    QFile::remove(file);
    const QStringList lines = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(u'\n');

    TBrivoIni ini(file);
    TfrmCustomizeDialog dialog(nullptr);
    dialog.SetStrings(lines);
    QStringList applied;
    bool changedNames = false;
    dialog.OnApply = [&](QDialog *) {
        applied = dialog.Strings();
        const int before = settingsfuzzing::messages;
        ini.SetLinks(applied);
        changedNames = settingsfuzzing::messages != before;
    };
    settingsfuzzing::messages = 0;
    dialog.actApply->setEnabled(true);
    dialog.actApply->trigger();
    const bool accepted = !dialog.actApply->isEnabled();
    if (accepted != (settingsfuzzing::messages == 0 || changedNames)) {
        std::fprintf(stderr, "accepted %d, messages %d, names changed %d: %s\n", accepted, settingsfuzzing::messages,
                     changedNames, qPrintable(dialog.Strings().join(u'|')));
        std::abort(); // refused without a word, or applied after a refusal
    }
    if (!accepted)
        return 0;
    const QStringList reread = ProfileIni(file).readSectionValues(QStringLiteral("Links"));
    // the settings object keeps the lines as given; a name it changed may have become another line's
    // twin, which the file keeps only once, the first
    QStringList kept;
    QSet<QString> names;
    for (const QString &line : std::as_const(ini.Links))
        if (!names.contains(textrules::foldAscii(textrules::lineName(line)))) {
            names.insert(textrules::foldAscii(textrules::lineName(line)));
            kept.append(line);
        }
    if (reread != kept) {
        std::fprintf(stderr, "kept: %s\nread: %s\n", qPrintable(ini.Links.join(u'|')), qPrintable(reread.join(u'|')));
        std::abort(); // the settings object keeps what the file does not give back
    }
    if (!changedNames && reread != applied)
        std::abort(); // the dialog applied what the file cannot hold as it stands
    return 0;
}
