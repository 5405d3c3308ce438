#pragma once
// Reads the version block a file carries and offers its string values.
//
// Linux executables have no version resource of their own, so the build embeds one as a byte array
// (settings/VersionBlock.cmake generates it) and TFileVersion finds it by scanning the file's bytes.
// The block, all integers little-endian:
//
//   marker   16 bytes  7F "BRIVO-VERSION" 01 1A
//   count    u16       number of values, 1..MaxValues
//   count times:
//     path   u16 length (1..255), then that many bytes of printable ASCII starting with '\'
//     value  u16 length (0..MaxValueBytes), then that many bytes
//   end      4 bytes   1A "END"
//
// Paths name values the way the version functions of other systems do: string values at
// "\StringFileInfo\<translation>\<key>" (UTF-8 text, cut at a NUL), other values at
// "\VarFileInfo\<key>" ("Translation" holds pairs of u16: language identifier, code page).
// Paths compare without regard to ASCII letter case; the first of two equal paths counts.
// A marker whose block does not parse is skipped and the scan goes on, so the reader's own bytes
// or stray data never pass for a block.
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QIODevice;

namespace versionblock {

constexpr int MaxValues = 256;
constexpr int MaxValueBytes = 4096;

// The marker bytes (built at run time, so the reader itself does not carry them).
QByteArray marker();

// The values of the block that starts at offset 0 of data (with the marker); false when the bytes
// there are not a whole, well-formed block. Keys of values are the paths folded to upper case.
bool parse(const QByteArray &data, QHash<QByteArray, QByteArray> &values);

// Scans the device from its current position for the first well-formed block.
bool find(QIODevice &device, QHash<QByteArray, QByteArray> &values);

} // namespace versionblock

class TFileVersion : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
public:
    explicit TFileVersion(QObject *owner = nullptr);
    ~TFileVersion() override;

    QString FileName() const { return FFileName; }
    // Loads the version block of the file; the same name (letter case counts) loads nothing.
    void SetFileName(const QString &value);

    bool Valid() const { return FValid; }
    QString Translation() const { return FTranslation; }
    QString CompanyName() const { return FCompanyName; }
    QString FileDescription() const { return FFileDescription; }
    QString InternalName() const { return FInternalName; }
    QString OriginalFileName() const { return FOriginalFileName; }
    QString LegalCopyright() const { return FLegalCopyright; }
    QString FileVersion() const { return FFileVersion; }
    QString ProductVersion() const { return FProductVersion; }
    QString ProductName() const { return FProductName; }
    QString Comments() const { return FComments; }

    // A string value of the block by its key; empty while not valid or when the block lacks it.
    QString GetValue(const QString &key) const;
    // The value at "\StringFileInfo\<Translation>\<key>"; empty when there is none.
    QString GetStringValue(const QString &key) const;
    // The first 32-bit value at "\VarFileInfo\<key>" as eight hexadecimal digits, its low 16 bits
    // first; empty when there is none (or it is shorter than 32 bits).
    QString GetVarValue(const QString &key) const;

    // How many times a file was read (for checking that an unchanged name reads nothing).
    int LoadCount() const { return FLoadCount; }

private:
    bool load();

    QString FFileName;
    bool FValid = false;
    QHash<QByteArray, QByteArray> FVersionData;
    QString FTranslation;
    QString FCompanyName;
    QString FFileDescription;
    QString FInternalName;
    QString FOriginalFileName;
    QString FLegalCopyright;
    QString FFileVersion;
    QString FProductVersion;
    QString FProductName;
    QString FComments;
    int FLoadCount = 0;
};
