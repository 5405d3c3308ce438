#include "platform/FontFaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QSet>
#include <algorithm>
#include <fontconfig/fontconfig.h>

namespace {

QString stringOf(FcPattern *pattern, const char *object)
{
    FcChar8 *value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch || !value)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char *>(value));
}

} // namespace

QList<fontfaces::Face> fontfaces::installed()
{
    QList<Face> faces;
    FcPattern *pattern = FcPatternCreate();
    FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, FC_FONTFORMAT, FC_SPACING, FC_SCALABLE, nullptr);
    FcFontSet *set = FcFontList(nullptr, pattern, objects);
    if (set) {
        for (int i = 0; i < set->nfont; ++i) {
            FcPattern *font = set->fonts[i];
            Face base;
            base.Format = stringOf(font, FC_FONTFORMAT);
            int spacing = -1;
            if (FcPatternGetInteger(font, FC_SPACING, 0, &spacing) == FcResultMatch)
                base.Spacing = spacing;
            FcBool scalable = FcFalse;
            if (FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) == FcResultMatch)
                base.Scalable = scalable == FcTrue;
            // a font names its family in several languages: each name is a face of its own
            FcChar8 *family = nullptr;
            for (int n = 0; FcPatternGetString(font, FC_FAMILY, n, &family) == FcResultMatch; ++n) {
                Face face = base;
                face.Family = QString::fromUtf8(reinterpret_cast<const char *>(family));
                faces.append(face);
            }
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return faces;
}

QStringList fontfaces::fontFolders()
{
    QStringList folders;
    FcStrList *dirs = FcConfigGetFontDirs(nullptr);
    if (!dirs)
        return folders;
    while (FcChar8 *dir = FcStrListNext(dirs))
        folders.append(QString::fromUtf8(reinterpret_cast<const char *>(dir)));
    FcStrListDone(dirs);
    return folders;
}

void fontfaces::reload()
{
    FcInitBringUptoDate();
}

fontfaces::Source fontfaces::systemSource()
{
    Source source;
    source.folders = &fontFolders;
    source.reload = &reload;
    source.faces = &installed;
    const int interval = FcConfigGetRescanInterval(nullptr);
    source.retryMs = (std::max(interval, 1) + 1) * 1000;
    return source;
}

fontfaces::Watcher::Watcher(QObject *parent)
    : Watcher(systemSource(), parent)
{}

fontfaces::Watcher::Watcher(Source source, QObject *parent)
    : QObject(parent)
    , m_source(std::move(source))
    , m_watcher(new QFileSystemWatcher(this))
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(m_source.quietMs);
    m_retry.setSingleShot(true);
    m_retry.setInterval(m_source.retryMs);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString &folder) {
        m_fontFolderChanged = m_fontFolderChanged || m_fontFolders.contains(folder);
        m_quiet.start();
    });
    connect(&m_quiet, &QTimer::timeout, this, [this] {
        // a font folder made meanwhile is watched from now on; a change above the font folders that
        // made none is no change of the fonts
        const bool appeared = rewatch();
        if (!std::exchange(m_fontFolderChanged, false) && !appeared)
            return;
        // nothing new yet: the configuration may not have rescanned; it is asked once more later
        if (!look() && !m_retry.isActive())
            m_retry.start();
    });
    connect(&m_retry, &QTimer::timeout, this, [this] {
        look();
        rewatch(); // the configuration may list folders made inside the font folders by now
    });
    // fonts the program itself adds
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::fontDatabaseChanged, this, &Watcher::fontsChanged);
    rewatch();
}

fontfaces::Watcher &fontfaces::Watcher::instance()
{
    static auto *watcher = new Watcher(QCoreApplication::instance());
    return *watcher;
}

QStringList fontfaces::Watcher::watchedFolders() const
{
    return m_watcher->directories();
}

bool fontfaces::Watcher::look()
{
    if (!m_seenValid) {
        m_seen = m_source.faces(); // what there was before this change
        m_seenValid = true;
    }
    m_source.reload();
    QList<Face> now = m_source.faces();
    if (now == m_seen)
        return false;
    m_seen = std::move(now);
    m_retry.stop();
    emit fontsChanged();
    return true;
}

bool fontfaces::Watcher::rewatch()
{
    // each font folder, or while it does not exist the nearest folder above it that does
    const QSet<QString> before = m_fontFolders;
    m_fontFolders.clear();
    QStringList wanted;
    for (const QString &folder : m_source.folders()) {
        QString path = QDir::cleanPath(QDir(folder).absolutePath());
        while (!QFileInfo(path).isDir()) {
            const QString up = QFileInfo(path).path();
            if (up == path)
                break;
            path = up;
        }
        if (QFileInfo(path).isDir() && !wanted.contains(path))
            wanted.append(path);
        if (path == QDir::cleanPath(QDir(folder).absolutePath()))
            m_fontFolders.insert(path);
    }
    const QStringList watched = m_watcher->directories();
    QStringList gone;
    for (const QString &folder : watched) {
        if (!wanted.contains(folder))
            gone.append(folder);
    }
    QStringList added;
    for (const QString &folder : std::as_const(wanted)) {
        if (!watched.contains(folder))
            added.append(folder);
    }
    if (!gone.isEmpty())
        m_watcher->removePaths(gone);
    if (!added.isEmpty())
        m_watcher->addPaths(added);
    return !(m_fontFolders - before).isEmpty();
}
