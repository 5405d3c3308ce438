#pragma once
// The Lines object of the rich-edit control: its paragraphs as a string list, and the streams and files
// documents enter and leave by, with the rich-text codec those streams go through.
#include "notes/PlainTextCodec.h"
#include "notes/RichTextModel.h"
#include "platform/PlatformError.h"

#include <QByteArray>
#include <QFlags>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QIODevice;
class QTextDocument;
class TMMRxCustomRichEdit;

enum TRichStreamFormat { sfDefault, sfRichText, sfPlainText };
enum TRichStreamMode { smSelection = 1, smPlainRtf = 2, smNoObjects = 4, smUnicode = 8 };
Q_DECLARE_FLAGS(TRichStreamModes, TRichStreamMode)
Q_DECLARE_OPERATORS_FOR_FLAGS(TRichStreamModes)

// Moves stream bytes between a device and the control; a converter may transform them.
class TConversion {
public:
    virtual ~TConversion() = default;
    // Reads up to count bytes; returns the number read (0 at the end).
    virtual qint64 ConvertReadStream(QIODevice &stream, char *buffer, qint64 count);
    // Writes count bytes; returns the number written.
    virtual qint64 ConvertWriteStream(QIODevice &stream, const char *buffer, qint64 count);
};

// The rich-text reader and writer that rich streams go through. The control holds none of its own:
// the codec registers itself with SetRichTextCodec when the program starts.
class TRichTextCodec {
public:
    virtual ~TRichTextCodec() = default;
    // Reads a rich-text document into the builder; false when the bytes are not one, or when the
    // builder's progress handler stopped the read.
    virtual bool Read(const QByteArray &bytes, TRichDocumentBuilder &builder) = 0;
    // Writes the source as a rich-text document (smPlainRtf and smNoObjects may be in modes).
    virtual bool Write(const TRichDocumentSource &source, TRichStreamModes modes, QByteArray &out) = 0;
};
void SetRichTextCodec(std::shared_ptr<TRichTextCodec> codec);
std::shared_ptr<TRichTextCodec> RichTextCodec();

// The texts of the stream and line failures.
extern const QString SRichEditLoadFail;      // reading from the stream failed
extern const QString SRichEditLoadCancelled; // the reading was stopped
extern const QString SRichEditSaveFail;      // writing to the stream failed
extern const QString SRichEditInsertError;   // inserting a line failed

// A read stopped by its progress handler: the control is as it was before.
class LoadCancelled : public PlatformError {
public:
    LoadCancelled()
        : PlatformError(SRichEditLoadCancelled)
    {}
};

// The control's lines (paragraphs) as a string list, and the streams documents enter and leave by.
class TRichEditStrings {
public:
    explicit TRichEditStrings(TMMRxCustomRichEdit *richEdit);
    ~TRichEditStrings();

    int Count() const;
    QString Get(int index) const;
    void Put(int index, const QString &s);
    void Insert(int index, const QString &s);
    void Add(const QString &s) { Insert(Count(), s); }
    void Delete(int index);
    void Clear();
    // Every line, each followed by "\n".
    QString Text() const;
    // Replaces every line by the lines of the text, without change notifications.
    void SetTextStr(const QString &value);
    void AddStrings(const QStringList &strings);
    void Assign(const QStringList &strings);
    void BeginUpdate();
    void EndUpdate();
    // Switches the control's change notification on or off.
    void EnableChange(bool value);

    TRichStreamFormat Format = sfDefault;
    TRichStreamModes Mode;
    std::unique_ptr<TConversion> Converter;
    // Hears now and then how far a stream being read is (done of total, in units of the reader's own);
    // false stops the read, which then raises LoadCancelled.
    std::function<bool(qint64 done, qint64 total)> OnProgress;

    // The most a stream or file may hold to be read: a larger one is refused before it is read whole.
    static constexpr qint64 MaxStreamBytes = qint64(128) << 20;

    // Raise PlatformError with SRichEditLoadFail / SRichEditSaveFail when both formats fail / the
    // write fails; a file that cannot be opened raises PlatformError with the file's error. A whole
    // document is read once, aside, and takes the place of the control's only when it was read: a
    // failed or stopped read leaves the control, its modified flag and its undo history as they were.
    // A document too tall to be shown is refused with its reason.
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream);
    void LoadFromFile(const QString &fileName);
    // Written atomically: a failed save leaves the previous file as it was.
    void SaveToFile(const QString &fileName);

    // What the document was last read as or saved as (by a file or a whole-document stream).
    bool HasFileFormat() const { return m_hasFileFormat; }
    TRichStreamFormat FileFormat() const { return m_fileFormat; }
    plaintext::TTextFormat PlainFormat() const { return m_plainFormat; }
    void ForgetFileFormat();
    // Code page of text that is neither UTF-8 nor UTF-16 (by default that of the interface language).
    int FallbackCodePage() const;
    void SetFallbackCodePage(int codePage) { m_fallbackCodePage = codePage; }

private:
    bool plainFor(TRichStreamFormat format) const;
    bool readAll(QIODevice &stream, TConversion &converter, QByteArray &bytes);
    bool loadBytes(const QByteArray &bytes, bool plain, TRichStreamModes mode);
    void readPlain(const QString &text, QTextDocument &doc);
    bool readRich(const QByteArray &bytes, const QTextCursor &at);
    void fileOperation(const QString &fileName, bool save);

    TMMRxCustomRichEdit *m_richEdit;
    int m_updateCount = 0;
    bool m_hasFileFormat = false;
    TRichStreamFormat m_fileFormat = sfRichText;
    plaintext::TTextFormat m_plainFormat;
    int m_fallbackCodePage = 0;
};
