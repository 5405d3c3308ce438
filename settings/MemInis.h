#pragma once
// A read-only ini held in memory, built from a built-in resource: the language tables and the default
// settings are read through it.
//  - a line ends at CR, LF or CR LF; the text ends at the end of the data or at a NUL byte;
//  - empty lines and lines beginning with ";" are ignored;
//  - a line whose first character is "[" and whose last is "]" opens a section named by the text
//    between them, untrimmed; an indented header is an ordinary line;
//  - other lines belong to the current section verbatim; lines before the first section are dropped;
//  - a value is everything after the first "=", blanks included;
//  - sections and keys match without regard to case (a-z), and the first of two equal ones counts.
// Lookups go through indexes built once, so reading a key costs no scan of the table.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class TMemIni {
public:
    TMemIni() = default;
    // Reads the built-in resource of that name and type (without regard to case) and parses it in
    // the resource's code page. Raises PlatformError when there is no such resource.
    TMemIni(const QString &resourceName, const QString &resourceType);
    virtual ~TMemIni();
    TMemIni(const TMemIni &) = delete;
    TMemIni &operator=(const TMemIni &) = delete;

    // Decodes the bytes in the code page and parses them; with no bytes the object is emptied.
    void LoadFromBytes(const QByteArray &bytes, int codePage);
    // Empties the object, then parses the lines.
    void SetStrings(const QStringList &lines);
    // Appends an empty section under that name and returns its lines.
    QStringList &AddSection(const QString &name);
    void Clear();

    virtual QString ReadString(const QString &section, const QString &key, const QString &def) const;
    // A value of more than two characters beginning with "0x" reads as hexadecimal; a value that is
    // not an integer gives the default.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    bool ReadBool(const QString &section, const QString &key, bool def) const;
    bool SectionExists(const QString &section) const;
    void ReadSection(const QString &section, QStringList &keys) const;
    void ReadSections(QStringList &names) const;
    void ReadSectionValues(const QString &section, QStringList &lines) const;

    // The object is read-only: these change nothing and raise nothing.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void EraseSection(const QString &section);
    void DeleteKey(const QString &section, const QString &key);
    void UpdateFile();

private:
    struct Section {
        QString name;
        QStringList lines;
        QHash<QString, qsizetype> firstKey; // folded key -> line index
        qsizetype indexed = 0;              // lines[0, indexed) are in firstKey
    };
    const Section *find(const QString &section) const;
    static void indexLine(Section &s, qsizetype index);

    QList<std::shared_ptr<Section>> m_sections;
    QHash<QString, qsizetype> m_firstSection; // folded name -> index
};
