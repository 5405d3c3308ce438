#include "settings/FileVersions.h"

#include <QFile>
#include <QIODevice>

namespace versionblock {

namespace {

constexpr qsizetype MarkerSize = 16;
constexpr qsizetype MaxPathBytes = 255;
// the largest block there can be: marker, count, every value at its largest, end
constexpr qsizetype MaxBlockBytes = MarkerSize + 2 + MaxValues * (2 + MaxPathBytes + 2 + MaxValueBytes) + 4;
constexpr qsizetype ChunkBytes = 1 << 20;

const char EndTag[] = "\x1A"
                      "END";

// Reads forward through a byte array, never past its end.
class Cursor {
public:
    explicit Cursor(const QByteArray &data)
        : m_data(data)
    {}
    bool u16(int &value)
    {
        if (m_data.size() - m_pos < 2)
            return false;
        value = quint8(m_data[m_pos]) | (quint8(m_data[m_pos + 1]) << 8);
        m_pos += 2;
        return true;
    }
    bool bytes(qsizetype length, QByteArray &out)
    {
        if (length < 0 || m_data.size() - m_pos < length)
            return false;
        out = m_data.mid(m_pos, length);
        m_pos += length;
        return true;
    }

private:
    const QByteArray &m_data;
    qsizetype m_pos = 0;
};

bool isPath(const QByteArray &path)
{
    if (path.isEmpty() || path.front() != '\\')
        return false;
    for (char c : path)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

} // namespace

QByteArray marker()
{
    // stored with every byte flipped, so these bytes never read as a marker in the program's file
    static const unsigned char flipped[MarkerSize] = {0x80, 0xBD, 0xAD, 0xB6, 0xA9, 0xB0, 0xD2, 0xA9,
                                                      0xBA, 0xAD, 0xAC, 0xB6, 0xB0, 0xB1, 0xFE, 0xE5};
    QByteArray m(MarkerSize, '\0');
    for (qsizetype i = 0; i < MarkerSize; ++i)
        m[i] = char(~flipped[i]);
    return m;
}

bool parse(const QByteArray &data, QHash<QByteArray, QByteArray> &values)
{
    values.clear();
    if (!data.startsWith(marker()))
        return false;
    const QByteArray body = data.mid(MarkerSize);
    Cursor in(body);
    int count = 0;
    if (!in.u16(count) || count < 1 || count > MaxValues)
        return false;
    QHash<QByteArray, QByteArray> found;
    for (int i = 0; i < count; ++i) {
        int pathLength = 0;
        int valueLength = 0;
        QByteArray path;
        QByteArray value;
        if (!in.u16(pathLength) || pathLength < 1 || pathLength > MaxPathBytes || !in.bytes(pathLength, path) ||
            !isPath(path))
            return false;
        if (!in.u16(valueLength) || valueLength > MaxValueBytes || !in.bytes(valueLength, value))
            return false;
        const QByteArray key = path.toUpper();
        if (!found.contains(key))
            found.insert(key, value);
    }
    QByteArray end;
    if (!in.bytes(4, end) || end != QByteArray(EndTag, 4))
        return false;
    values = found;
    return true;
}

bool find(QIODevice &device, QHash<QByteArray, QByteArray> &values)
{
    values.clear();
    if (!device.isOpen() || device.isSequential())
        return false;
    const QByteArray mark = marker();
    qint64 pos = device.pos();
    for (;;) {
        if (!device.seek(pos))
            return false;
        const QByteArray chunk = device.read(ChunkBytes);
        const qsizetype at = chunk.indexOf(mark);
        if (at < 0) {
            if (chunk.size() < ChunkBytes)
                return false;
            // keep the tail that could hold the start of a marker cut by the chunk's end
            pos += chunk.size() - (MarkerSize - 1);
            continue;
        }
        const qint64 candidate = pos + at;
        if (!device.seek(candidate))
            return false;
        if (parse(device.read(MaxBlockBytes), values))
            return true;
        pos = candidate + 1;
    }
}

} // namespace versionblock

TFileVersion::TFileVersion(QObject *owner)
    : QObject(owner)
{}

TFileVersion::~TFileVersion() = default;

void TFileVersion::SetFileName(const QString &value)
{
    if (value == FFileName)
        return;
    FFileName = value;
    FValid = false;
    FVersionData.clear();
    FValid = load();
}

bool TFileVersion::load()
{
    ++FLoadCount;
    if (FFileName.isEmpty())
        return false;
    QFile file(FFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (!versionblock::find(file, FVersionData))
        return false;
    FTranslation = GetVarValue(QStringLiteral("Translation"));
    FCompanyName = GetStringValue(QStringLiteral("CompanyName"));
    FFileDescription = GetStringValue(QStringLiteral("FileDescription"));
    FInternalName = GetStringValue(QStringLiteral("InternalName"));
    FOriginalFileName = GetStringValue(QStringLiteral("OriginalFileName"));
    FLegalCopyright = GetStringValue(QStringLiteral("LegalCopyright"));
    FFileVersion = GetStringValue(QStringLiteral("FileVersion"));
    FProductVersion = GetStringValue(QStringLiteral("ProductVersion"));
    FProductName = GetStringValue(QStringLiteral("ProductName"));
    FComments = GetStringValue(QStringLiteral("Comments"));
    return true;
}

QString TFileVersion::GetValue(const QString &key) const
{
    return FValid ? GetStringValue(key) : QString();
}

QString TFileVersion::GetStringValue(const QString &key) const
{
    // without a translation there is no string block to read from
    if (FTranslation.isEmpty())
        return QString();
    const QByteArray path = ("\\StringFileInfo\\" + FTranslation + u'\\' + key).toUtf8().toUpper();
    const auto it = FVersionData.constFind(path);
    if (it == FVersionData.constEnd())
        return QString();
    const QByteArray &value = it.value();
    const qsizetype nul = value.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? value : value.left(nul));
}

QString TFileVersion::GetVarValue(const QString &key) const
{
    const auto it = FVersionData.constFind(("\\VarFileInfo\\" + key).toUtf8().toUpper());
    if (it == FVersionData.constEnd() || it.value().size() < 4)
        return QString();
    const QByteArray &v = it.value();
    const quint32 low = quint8(v[0]) | (quint8(v[1]) << 8);
    const quint32 high = quint8(v[2]) | (quint8(v[3]) << 8);
    return QStringLiteral("%1").arg((low << 16) | high, 8, 16, QLatin1Char('0')).toUpper();
}
