#include "browser/DownloadNames.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace downloadname {

namespace {

constexpr int MaxNameBytes = 200; // well inside the 255 bytes a Linux file name may take

QString cutToBytes(const QString &name, int bytes)
{
    QString out = name;
    while (out.toUtf8().size() > bytes) {
        out.chop(1);
        if (!out.isEmpty() && out.back().isHighSurrogate())
            out.chop(1); // never half a character
    }
    return out;
}

} // namespace

QString plainName(const QString &suggested)
{
    // only what follows the last separator of either kind is a name
    QString name = suggested;
    const qsizetype cut = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    if (cut >= 0)
        name = name.mid(cut + 1);
    QString clean;
    for (const QChar c : std::as_const(name))
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
            clean += c;
    clean = clean.trimmed();
    // a leading dot would hide the file or make it "." or ".."
    while (clean.startsWith(u'.'))
        clean.remove(0, 1);
    clean = clean.trimmed();
    if (clean.isEmpty())
        return QStringLiteral("download");
    if (clean.toUtf8().size() > MaxNameBytes) {
        const QString suffix = QFileInfo(clean).suffix();
        const QString tail = suffix.isEmpty() || suffix.size() > 16 ? QString() : u'.' + suffix;
        clean = cutToBytes(clean.left(clean.size() - tail.size()), MaxNameBytes - int(tail.toUtf8().size())) + tail;
    }
    return clean;
}

QString pathInFolder(const QString &folder, const QString &suggested)
{
    const QString name = plainName(suggested);
    const QDir dir(folder);
    if (!QFileInfo::exists(dir.filePath(name)))
        return dir.filePath(name);
    // "a.tar.gz" goes on as "a (2).tar.gz"
    const qsizetype dot = name.indexOf(u'.');
    const QString base = dot > 0 ? name.left(dot) : name;
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = dir.filePath(QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix));
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

} // namespace downloadname
