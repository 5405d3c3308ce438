#include "notes/RichEditObjects.h"

#include "notes/RtfPicture.h"
#include "platform/RegularFiles.h"

#include <QApplication>
#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QMutex>
#include <QPainter>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <climits>
#include <list>
#include <utility>
#include <vector>

Q_DECLARE_METATYPE(richedit::TObjectPictureRef)

namespace richedit {

namespace {

const QString Scheme = QStringLiteral("brivo-object");

QImage placeholderImage(QSize size)
{
    QImage image(std::clamp(size.width(), 8, 2000), std::clamp(size.height(), 8, 2000), QImage::Format_RGB32);
    image.fill(QColor(0xE0, 0xE0, 0xE0));
    QPainter p(&image);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(0, 0, image.width() - 1, image.height() - 1);
    p.drawLine(0, 0, image.width() - 1, image.height() - 1);
    p.drawLine(0, image.height() - 1, image.width() - 1, 0);
    return image;
}

// Every shown picture alive, by id, and the decoded ones most recently drawn first.
class PictureStore {
public:
    // never destroyed: a picture may outlive every other static (a document the clipboard still holds)
    static PictureStore &instance()
    {
        static auto *store = new PictureStore;
        return *store;
    }

    void add(quint64 id, const std::weak_ptr<const TObjectPicture> &picture)
    {
        QMutexLocker lock(&m_mutex);
        m_alive.insert(id, picture);
    }

    void remove(quint64 id)
    {
        QMutexLocker lock(&m_mutex);
        m_alive.remove(id);
        dropDecoded(id);
    }

    TObjectPictureRef find(quint64 id)
    {
        QMutexLocker lock(&m_mutex);
        return m_alive.value(id).lock();
    }

    QImage cached(quint64 id)
    {
        QMutexLocker lock(&m_mutex);
        const auto it = std::find_if(m_decoded.begin(), m_decoded.end(), [id](const auto &e) { return e.first == id; });
        if (it == m_decoded.end())
            return {};
        m_decoded.splice(m_decoded.begin(), m_decoded, it);
        return it->second;
    }

    void keep(quint64 id, const QImage &image)
    {
        QMutexLocker lock(&m_mutex);
        dropDecoded(id);
        m_decoded.emplace_front(id, image);
        m_use += image.sizeInBytes();
        while (m_decoded.size() > 1 && (int(m_decoded.size()) > DecodedCacheCount || m_use > DecodedCacheBytes)) {
            m_use -= m_decoded.back().second.sizeInBytes();
            m_decoded.pop_back();
        }
    }

    qint64 use()
    {
        QMutexLocker lock(&m_mutex);
        return m_use;
    }

    std::atomic<int> Decodes{0};

private:
    void dropDecoded(quint64 id)
    {
        const auto it = std::find_if(m_decoded.begin(), m_decoded.end(), [id](const auto &e) { return e.first == id; });
        if (it != m_decoded.end()) {
            m_use -= it->second.sizeInBytes();
            m_decoded.erase(it);
        }
    }

    QMutex m_mutex;
    QHash<quint64, std::weak_ptr<const TObjectPicture>> m_alive;
    std::list<std::pair<quint64, QImage>> m_decoded;
    qint64 m_use = 0;
};

std::atomic<quint64> pictureCounter{0};

// Every document finds the shown pictures by their names, the clone a printout draws too.
void installProvider()
{
    static const bool installed = [] {
        QTextDocument::setDefaultResourceProvider([](const QUrl &url) -> QVariant {
            if (url.scheme() != Scheme)
                return {};
            bool ok = false;
            const quint64 id = url.path().toULongLong(&ok);
            const TObjectPictureRef picture = ok ? PictureStore::instance().find(id) : nullptr;
            if (!picture)
                return {};
            return picture->Image();
        });
        return true;
    }();
    Q_UNUSED(installed);
}

bool isEncodedPicture(const QString &format)
{
    return format == u"png" || format == u"jpeg";
}

QString encodedFormatOfType(const QString &mime)
{
    if (mime == u"image/png")
        return QStringLiteral("png");
    if (mime == u"image/jpeg")
        return QStringLiteral("jpeg");
    return {};
}

QByteArray pngOf(const QImage &image)
{
    return rtf::PngBytes(image);
}

// A file shown as its icon with its name under it.
QImage fileCard(const TRichObject &object)
{
    const QString name =
        object.ObjectKind == TRichObject::LinkedFile ? QFileInfo(object.FileName).fileName() : object.FileName;
    QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const QString shown = metrics.elidedText(name, Qt::ElideMiddle, 200);
    const int iconSize = 32;
    const int width = std::max(iconSize + 16, metrics.horizontalAdvance(shown) + 8);
    const int height = iconSize + metrics.height() + 10;
    QImage card(width, height, QImage::Format_ARGB32_Premultiplied);
    card.fill(Qt::white);
    QPainter p(&card);
    QIcon icon = QIcon::fromTheme(QMimeDatabase().mimeTypeForName(object.FileType).iconName());
    if (icon.isNull() && QApplication::style())
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    if (!icon.isNull())
        icon.paint(&p, QRect((width - iconSize) / 2, 3, iconSize, iconSize));
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(0, iconSize + 6, width, metrics.height()), Qt::AlignHCenter | Qt::AlignTop, shown);
    if (object.ObjectKind == TRichObject::LinkedFile) {
        // the arrow that marks a link
        p.setPen(QPen(Qt::blue, 2));
        const int x = (width - iconSize) / 2;
        p.drawLine(x + 2, iconSize + 1, x + 12, iconSize - 9);
        p.drawLine(x + 12, iconSize - 9, x + 6, iconSize - 9);
        p.drawLine(x + 12, iconSize - 9, x + 12, iconSize - 3);
    }
    return card;
}

// ---- the stored form of a file object ----

const QByteArray ClassFile = "Brivo.File";
const QByteArray ClassLink = "Brivo.Link";
const QByteArray PackageMagic = "BrivoObject 1\n";

QByteArray package(const TRichObject &o)
{
    QByteArray p = PackageMagic;
    p += "name=" + QUrl::toPercentEncoding(o.FileName) + '\n';
    p += "type=" + QUrl::toPercentEncoding(o.FileType) + '\n';
    p += QByteArray("view=") + (o.DisplayAsIcon ? "icon" : "content") + '\n';
    if (o.ObjectKind == TRichObject::LinkedFile)
        p += QByteArray("update=") + (o.ManualUpdate ? "manual" : "auto") + '\n';
    p += '\n';
    if (o.ObjectKind == TRichObject::EmbeddedFile)
        p += o.Data;
    return p;
}

bool unpackage(const QByteArray &p, TRichObject &o)
{
    if (!p.startsWith(PackageMagic))
        return false;
    qsizetype at = PackageMagic.size();
    while (at < p.size()) {
        const qsizetype end = p.indexOf('\n', at);
        if (end < 0)
            return false;
        const QByteArray line = p.mid(at, end - at);
        at = end + 1;
        if (line.isEmpty())
            break;
        const qsizetype eq = line.indexOf('=');
        const QByteArray key = line.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : line.mid(eq + 1);
        if (key == "name")
            o.FileName = QUrl::fromPercentEncoding(value);
        else if (key == "type")
            o.FileType = QUrl::fromPercentEncoding(value);
        else if (key == "view")
            o.DisplayAsIcon = value == "icon";
        else if (key == "update")
            o.ManualUpdate = value == "manual";
    }
    if (o.ObjectKind == TRichObject::EmbeddedFile) {
        if (p.size() - at > MaxEmbeddedFileSize)
            return false;
        o.Data = p.mid(at);
        o.DataFormat = QStringLiteral("file");
    }
    return !o.FileName.isEmpty();
}

// The text of the group's {\*\name ...} destination (without nested groups), or a null array.
QByteArray destinationText(const QByteArray &group, const QByteArray &name)
{
    const QByteArray open = "{\\*\\" + name;
    qsizetype at = group.indexOf(open);
    while (at >= 0) {
        const qsizetype after = at + open.size();
        if (after < group.size() && !QChar::isLetter(uchar(group[after])))
            break;
        at = group.indexOf(open, after);
    }
    if (at < 0)
        return {};
    qsizetype from = at + open.size();
    if (from < group.size() && group[from] == ' ')
        ++from;
    const qsizetype end = group.indexOf('}', from);
    if (end < 0)
        return {};
    return group.mid(from, end - from);
}

} // namespace

// ---- shown pictures ----

TObjectPicture::TObjectPicture(QByteArray bytes, QSize size)
    : m_id(++pictureCounter)
    , m_bytes(std::move(bytes))
    , m_size(size)
{}

TObjectPicture::~TObjectPicture()
{
    PictureStore::instance().remove(m_id);
}

QString TObjectPicture::Name() const
{
    return Scheme + u':' + QString::number(m_id);
}

QImage TObjectPicture::Image() const
{
    PictureStore &store = PictureStore::instance();
    QImage image = store.cached(m_id);
    if (!image.isNull())
        return image;
    if (!m_bytes.isEmpty()) {
        ++store.Decodes;
        image.loadFromData(m_bytes);
    }
    if (image.isNull())
        image = placeholderImage(m_size);
    store.keep(m_id, image);
    return image;
}

TObjectPictureRef MakeObjectPicture(const TRichObject &object)
{
    installProvider();
    QByteArray bytes;
    QSize size;
    QImage decoded = object.Image;
    const bool fileContent = object.IsFile() && !object.DisplayAsIcon &&
                             object.ObjectKind == TRichObject::EmbeddedFile &&
                             !encodedFormatOfType(object.FileType).isEmpty();
    if ((object.ObjectKind == TRichObject::Picture && isEncodedPicture(object.DataFormat) && !object.Data.isEmpty()) ||
        fileContent) {
        bytes = object.Data; // shared, not copied
        if (!decoded.isNull()) {
            size = decoded.size();
        } else {
            QBuffer buffer(&bytes);
            QImageReader reader(&buffer);
            size = reader.size();
        }
    } else if (!decoded.isNull()) {
        bytes = pngOf(decoded);
        size = decoded.size();
    } else if (object.IsFile()) {
        decoded = fileCard(object);
        bytes = pngOf(decoded);
        size = decoded.size();
    } else {
        size = QSize(qRound(TwipsToPixels(object.Width) * std::max(1, object.ScaleX) / 100.0),
                     qRound(TwipsToPixels(object.Height) * std::max(1, object.ScaleY) / 100.0));
    }
    auto picture = std::make_shared<const TObjectPicture>(bytes, size);
    PictureStore::instance().add(picture->Id(), picture);
    if (!decoded.isNull())
        PictureStore::instance().keep(picture->Id(), decoded);
    return picture;
}

int DecodedPictureCount()
{
    return PictureStore::instance().Decodes;
}

qint64 DecodedCacheUse()
{
    return PictureStore::instance().use();
}

// ---- files ----

QString FileTooLargeText(const QStringList &fileNames)
{
    return QStringLiteral("次のファイルは %1 MB を超えるため埋め込めません:\n%2")
        .arg(MaxEmbeddedFileSize >> 20)
        .arg(fileNames.join(u'\n'));
}

QString FileRefusedText(const QStringList &namesAndReasons)
{
    return QStringLiteral("次のファイルは挿入できません:\n%1").arg(namesAndReasons.join(u'\n'));
}

TRichObject FileObject(const QString &path, bool link, TFileObjectError *error)
{
    auto fail = [error](TFileObjectError e) {
        if (error)
            *error = e;
        return TRichObject{};
    };
    const QFileInfo info(path);
    // never a pipe or a device: opening or reading one may wait without end. The file is opened once,
    // without waiting, and its kind and bytes are read through that handle, never through the path
    // again, where a pipe may have been put in its place since
    QFile file;
    const regularfiles::Outcome opened = regularfiles::open(path, file);
    if (opened.kind == regularfiles::Outcome::Missing)
        return fail(TFileObjectError::Missing);
    if (opened.kind == regularfiles::Outcome::NotAFile)
        return fail(TFileObjectError::NotAFile);
    if (!opened && !link)
        return fail(TFileObjectError::Unreadable);
    TRichObject o;
    o.ObjectKind = link ? TRichObject::LinkedFile : TRichObject::EmbeddedFile;
    o.FileName = link ? info.absoluteFilePath() : info.fileName();
    // a linked file the user may not read is known by its name alone
    const QMimeDatabase types;
    o.FileType = (opened ? types.mimeTypeForFileNameAndData(info.fileName(), &file)
                         : types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension))
                     .name();
    if (!link) {
        if (file.size() > MaxEmbeddedFileSize)
            return fail(TFileObjectError::TooLarge);
        o.Data = file.read(MaxEmbeddedFileSize + 1);
        if (file.error() != QFileDevice::NoError)
            return fail(TFileObjectError::Unreadable);
        if (o.Data.size() > MaxEmbeddedFileSize)
            return fail(TFileObjectError::TooLarge);
        o.DataFormat = QStringLiteral("file");
    }
    // a file the picture reader cannot show is shown as its icon
    o.DisplayAsIcon = !o.FileType.startsWith(u"image/");
    RefreshFileObject(o);
    if (error)
        *error = TFileObjectError::None;
    return o;
}

void RefreshFileObject(TRichObject &object)
{
    object.Image = QImage();
    if (!object.DisplayAsIcon) {
        if (object.ObjectKind == TRichObject::EmbeddedFile) {
            object.Image.loadFromData(object.Data);
        } else {
            // a regular file only: never a device or a pipe that a stored link may name
            QFile file;
            if (regularfiles::open(object.FileName, file) && file.size() <= MaxEmbeddedFileSize)
                object.Image = QImageReader(&file).read();
        }
    }
    if (object.Image.isNull())
        object.Image = fileCard(object);
    object.Width = PixelsToTwips(object.Image.width());
    object.Height = PixelsToTwips(object.Image.height());
}

QString ObjectTypeName(const TRichObject &object)
{
    switch (object.ObjectKind) {
    case TRichObject::EmbeddedFile:
    case TRichObject::LinkedFile: {
        const QMimeType type = QMimeDatabase().mimeTypeForName(object.FileType);
        return type.isValid() && !type.comment().isEmpty() ? type.comment() : object.FileType;
    }
    case TRichObject::Object: {
        const QByteArray cls = destinationText(object.Data, "objclass").trimmed();
        return cls.isEmpty() ? QStringLiteral("Object") : QString::fromLatin1(cls);
    }
    case TRichObject::Picture:
    default:
        return QStringLiteral("Picture");
    }
}

qint64 ObjectDataSize(const TRichObject &object)
{
    if (object.ObjectKind == TRichObject::LinkedFile) {
        const QFileInfo info(object.FileName);
        return info.isFile() ? info.size() : -1;
    }
    return object.Data.size();
}

QByteArray FileObjectGroup(const TRichObject &object, const QByteArray &resultPicture)
{
    const bool link = object.ObjectKind == TRichObject::LinkedFile;
    QByteArray g = link ? "{\\object\\objlink" : "{\\object\\objemb";
    g += "{\\*\\objclass " + (link ? ClassLink : ClassFile) + '}';
    g += "\\objw" + QByteArray::number(object.Width) + "\\objh" + QByteArray::number(object.Height);
    if (object.ScaleX != 100)
        g += "\\objscalex" + QByteArray::number(object.ScaleX);
    if (object.ScaleY != 100)
        g += "\\objscaley" + QByteArray::number(object.ScaleY);
    g += "{\\*\\objdata\r\n";
    const QByteArray hex = package(object).toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        g += QByteArrayView(hex).sliced(i, std::min<qsizetype>(128, hex.size() - i));
        g += "\r\n";
    }
    g += '}';
    if (!resultPicture.isEmpty())
        g += "{\\result " + resultPicture + '}';
    g += '}';
    return g;
}

bool FileObjectFromGroup(const QByteArray &group, TRichObject &object)
{
    const QByteArray cls = destinationText(group, "objclass").trimmed();
    if (cls != ClassFile && cls != ClassLink)
        return false;
    const QByteArray hex = destinationText(group, "objdata");
    if (hex.isNull())
        return false;
    QByteArray digits;
    digits.reserve(hex.size());
    for (const char c : hex) {
        if (std::isxdigit(uchar(c)))
            digits += c;
    }
    TRichObject o;
    o.ObjectKind = cls == ClassLink ? TRichObject::LinkedFile : TRichObject::EmbeddedFile;
    if (!unpackage(QByteArray::fromHex(digits), o))
        return false;
    object = o;
    return true;
}

} // namespace richedit

namespace richedit {

// ---- verbs ----

QList<TObjectVerb> ObjectVerbs(const TRichObject &object)
{
    switch (object.ObjectKind) {
    case TRichObject::EmbeddedFile:
        return {{VerbOpen, QStringLiteral("開く(&O)")}};
    case TRichObject::LinkedFile:
        return {{VerbOpen, QStringLiteral("開く(&O)")},
                {VerbOpenSource, QStringLiteral("リンク元を開く(&S)")},
                {VerbUpdateNow, QStringLiteral("今すぐ更新(&U)")}};
    default:
        return {};
    }
}

// ---- opening files ----

namespace {

TObjectOpener &installedOpener()
{
    static TObjectOpener opener;
    return opener;
}

} // namespace

TObjectOpener SetObjectOpener(TObjectOpener opener)
{
    return std::exchange(installedOpener(), std::move(opener));
}

bool OpenObjectFile(const QString &path)
{
    if (const TObjectOpener &opener = installedOpener())
        return opener(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace {

// Types the desktop runs rather than shows.
bool executableType(const QMimeType &type)
{
    static const QStringList types = {QStringLiteral("application/x-executable"),
                                      QStringLiteral("application/x-sharedlib"),
                                      QStringLiteral("application/x-pie-executable"),
                                      QStringLiteral("application/x-shellscript"),
                                      QStringLiteral("application/x-desktop"),
                                      QStringLiteral("application/x-ms-dos-executable"),
                                      QStringLiteral("application/x-msdownload"),
                                      QStringLiteral("application/x-msi"),
                                      QStringLiteral("application/x-java-archive"),
                                      QStringLiteral("application/vnd.appimage"),
                                      QStringLiteral("application/x-perl"),
                                      QStringLiteral("text/x-python"),
                                      QStringLiteral("text/x-python3"),
                                      QStringLiteral("application/x-python-code"),
                                      QStringLiteral("application/x-ruby"),
                                      QStringLiteral("application/x-php"),
                                      QStringLiteral("application/javascript"),
                                      QStringLiteral("application/x-deb"),
                                      QStringLiteral("application/vnd.debian.binary-package"),
                                      QStringLiteral("application/x-rpm")};
    if (!type.isValid())
        return false;
    return std::any_of(types.cbegin(), types.cend(), [&](const QString &t) { return type.inherits(t); });
}

// By the cleaned name's suffix and type, and by the stored type (cleaned of control characters too).
bool executableByName(const QString &cleanName, QString mimeType)
{
    static const QStringList suffixes = {
        QStringLiteral("desktop"), QStringLiteral("sh"),       QStringLiteral("bash"),       QStringLiteral("zsh"),
        QStringLiteral("csh"),     QStringLiteral("ksh"),      QStringLiteral("fish"),       QStringLiteral("py"),
        QStringLiteral("pyw"),     QStringLiteral("pl"),       QStringLiteral("rb"),         QStringLiteral("php"),
        QStringLiteral("lua"),     QStringLiteral("tcl"),      QStringLiteral("js"),         QStringLiteral("jar"),
        QStringLiteral("run"),     QStringLiteral("appimage"), QStringLiteral("exe"),        QStringLiteral("com"),
        QStringLiteral("bat"),     QStringLiteral("cmd"),      QStringLiteral("msi"),        QStringLiteral("vbs"),
        QStringLiteral("ps1"),     QStringLiteral("scr"),      QStringLiteral("command"),    QStringLiteral("app"),
        QStringLiteral("deb"),     QStringLiteral("rpm"),      QStringLiteral("flatpakref"), QStringLiteral("snap")};
    if (suffixes.contains(QFileInfo(cleanName).suffix().toLower()))
        return true;
    mimeType.removeIf([](QChar c) { return c.category() == QChar::Other_Control || c.isSpace(); });
    const QMimeDatabase db;
    return executableType(db.mimeTypeForName(mimeType)) ||
           executableType(db.mimeTypeForFile(cleanName, QMimeDatabase::MatchExtension));
}

// The name's first characters (whole characters as a reader sees them, never part of one) that take at
// most maxBytes in the file-name encoding.
QString leadingCharacters(const QString &name, qsizetype maxBytes)
{
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, name);
    qsizetype end = 0;
    qsizetype bytes = 0;
    for (qsizetype next = characters.toNextBoundary(); next > 0; next = characters.toNextBoundary()) {
        bytes += QFile::encodeName(name.mid(end, next - end)).size();
        if (bytes > maxBytes)
            break;
        end = next;
    }
    return name.left(end);
}

// The name cut to what a folder takes (NAME_MAX bytes in the file-name encoding), keeping its
// extension when that is short enough to leave room for a part of the name before it.
QString fitNameToFolder(QString name)
{
    if (QFile::encodeName(name).size() <= NAME_MAX)
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    QString extension = dot > 0 ? name.mid(dot) : QString();
    if (QFile::encodeName(extension).size() > NAME_MAX / 2)
        extension.clear();
    name =
        leadingCharacters(extension.isEmpty() ? name : name.left(dot), NAME_MAX - QFile::encodeName(extension).size());
    return name + extension;
}

// A name without the dots and blanks a name cannot end in.
QString withoutTrailingDotsAndBlanks(QString name)
{
    while (!name.isEmpty() && (name.back() == u'.' || name.back().isSpace()))
        name.chop(1);
    return name;
}

} // namespace

QString CleanFileName(const QString &fileName)
{
    QString name = fileName;
    name.removeIf([](QChar c) {
        const QChar::Category category = c.category();
        return category == QChar::Other_Control || category == QChar::Other_Format;
    });
    name = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    // a name cut short may end in a dot or blank again
    name = withoutTrailingDotsAndBlanks(fitNameToFolder(withoutTrailingDotsAndBlanks(name)));
    return name.isEmpty() ? QStringLiteral("object") : name;
}

bool WouldExecute(const QString &path, const QString &mimeType)
{
    const QFileInfo info(path);
    if (info.exists() && info.isExecutable())
        return true;
    if (executableByName(CleanFileName(info.fileName()), mimeType))
        return true;
    // what the desktop finds in the file, read only from a plain file opened without waiting (a pipe
    // put in its place after it was looked at would hold the window)
    QFile file;
    return regularfiles::open(path, file) && executableType(QMimeDatabase().mimeTypeForData(&file));
}

bool WouldExecuteContent(const QString &fileName, const QString &mimeType, const QByteArray &content)
{
    return executableByName(CleanFileName(fileName), mimeType) ||
           executableType(QMimeDatabase().mimeTypeForData(content));
}

struct TOpenedObjectCopies::Private {
    std::unique_ptr<QTemporaryDir> Folder;
    std::vector<std::pair<quint64, QString>> Copies; // object, the copy's own folder; oldest first
    int Next = 0;
};

TOpenedObjectCopies::TOpenedObjectCopies()
    : d(std::make_unique<Private>())
{}

TOpenedObjectCopies::~TOpenedObjectCopies()
{
    CloseAll();
}

QString TOpenedObjectCopies::Write(quint64 objectId, const QString &fileName, const QByteArray &bytes, QString *error)
{
    if (!d->Folder) {
        // a temporary folder is made for its owner alone (0700)
        d->Folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/brivo-objects-XXXXXX"));
        if (!d->Folder->isValid()) {
            if (error)
                *error = d->Folder->errorString();
            d->Folder.reset();
            return {};
        }
    }
    // the name as the file had it, without folders or control characters
    const QString name = CleanFileName(fileName);
    const QString own = d->Folder->filePath(QString::number(++d->Next));
    if (!QDir().mkdir(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        if (error)
            *error = QStringLiteral("Cannot create folder \"%1\".").arg(own);
        return {};
    }
    QString path = own + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        file.remove();
        QDir().rmdir(own);
        return {};
    }
    file.close();
    d->Copies.emplace_back(objectId, own);
    return path;
}

QList<quint64> TOpenedObjectCopies::Objects() const
{
    QList<quint64> ids;
    for (const auto &[id, folder] : d->Copies) {
        if (!ids.contains(id))
            ids.append(id);
    }
    return ids;
}

void TOpenedObjectCopies::Close(quint64 objectId)
{
    for (auto it = d->Copies.end(); it != d->Copies.begin();) {
        --it;
        if (it->first == objectId) {
            QDir(it->second).removeRecursively();
            it = d->Copies.erase(it);
        }
    }
}

void TOpenedObjectCopies::CloseAll()
{
    while (!d->Copies.empty()) {
        QDir(d->Copies.back().second).removeRecursively();
        d->Copies.pop_back();
    }
    d->Folder.reset(); // removes the folder
}

QString TOpenedObjectCopies::Folder() const
{
    return d->Folder ? d->Folder->path() : QString();
}

// ---- texts ----

QString PropertiesCaption(const TRichObject &object)
{
    return QStringLiteral("%1 のプロパティ").arg(ObjectTypeName(object));
}

QString ExecuteQuestionText(const QString &fileName)
{
    return QStringLiteral("\"%1\" は実行されるおそれのあるファイルです。開きますか?").arg(fileName);
}

QString OpenFailedText(const QString &fileName)
{
    return QStringLiteral("\"%1\" を開けません。").arg(fileName);
}

QString LinkSourceMissingText(const QString &path)
{
    return QStringLiteral("リンク元 \"%1\" が見つかりません。").arg(path);
}

} // namespace richedit
