#include "platform/FontFaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <fontconfig/fontconfig.h>

namespace {

// Time the folders must stay quiet before the change is reported (an installation writes several files).
constexpr int QuietMs = 500;

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

fontfaces::Watcher::Watcher(QObject *parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(QuietMs);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, &m_quiet, qOverload<>(&QTimer::start));
    connect(&m_quiet, &QTimer::timeout, this, [this] {
        reload();
        rewatch(); // a new font folder is watched from now on
        emit fontsChanged();
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

void fontfaces::Watcher::rewatch()
{
    QStringList wanted;
    for (const QString &folder : fontFolders()) {
        if (QDir(folder).exists())
            wanted.append(folder);
    }
    const QStringList watched = m_watcher->directories();
    QStringList added;
    for (const QString &folder : wanted) {
        if (!watched.contains(folder))
            added.append(folder);
    }
    if (!added.isEmpty())
        m_watcher->addPaths(added);
}
