// The Lines object of the rich-edit control: line access and the streams documents enter and leave by.
#include "notes/MMRxRichEditStrings.h"

#include "notes/MMRxRichEdit.h"
#include "notes/ShownHeight.h"
#include "platform/AtomicFiles.h"
#include "platform/PlatformError.h"
#include "platform/RegularFiles.h"
#include "settings/BrivoInisCompact.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <mutex>

using namespace richedit;

const QString SRichEditLoadFail = QStringLiteral("ストリームからの読み込みに失敗しました");
const QString SRichEditLoadCancelled = QStringLiteral("The reading was stopped.");
const QString SRichEditSaveFail = QStringLiteral("ストリームへの書き込みに失敗しました");
const QString SRichEditInsertError = QStringLiteral("RichEdit での行の挿入エラー");

namespace {

constexpr qint64 StreamChunk = qint64(64) * 1024;

std::mutex codecMutex;
std::shared_ptr<TRichTextCodec> codecInstance;

// The file extensions whose format is fixed: searched in this order.
struct TRichConversionFormat {
    const char16_t *Extension;
    bool PlainText;
};
constexpr TRichConversionFormat ConversionFormats[] = {{u"txt", true}, {u"rtf", false}};

const TRichConversionFormat *formatForExtension(const QString &ext)
{
    for (const auto &f : ConversionFormats) {
        if (ext == QStringView(f.Extension))
            return &f;
    }
    return nullptr;
}

int codePageOfLanguage(TLanguage language)
{
    switch (language) {
    case TLanguage::JapaneseKanji:
    case TLanguage::JapaneseHiragana:
        return 932;
    case TLanguage::SimplifiedChinese:
        return 936;
    case TLanguage::TraditionalChinese:
        return 950;
    case TLanguage::Korean:
        return 949;
    default:
        return 1252;
    }
}

} // namespace

void SetRichTextCodec(std::shared_ptr<TRichTextCodec> codec)
{
    std::lock_guard lock(codecMutex);
    codecInstance = std::move(codec);
}

std::shared_ptr<TRichTextCodec> RichTextCodec()
{
    std::lock_guard lock(codecMutex);
    return codecInstance;
}

qint64 TConversion::ConvertReadStream(QIODevice &stream, char *buffer, qint64 count)
{
    return stream.read(buffer, count);
}

qint64 TConversion::ConvertWriteStream(QIODevice &stream, const char *buffer, qint64 count)
{
    return stream.write(buffer, count);
}

TRichEditStrings::TRichEditStrings(TMMRxCustomRichEdit *richEdit)
    : m_richEdit(richEdit)
{}

TRichEditStrings::~TRichEditStrings() = default;

// ---- line access ----

int TRichEditStrings::Count() const
{
    QTextDocument *doc = m_richEdit->document();
    const int n = doc->blockCount();
    // the empty paragraph after a final break is no line of its own
    return doc->lastBlock().length() <= 1 ? n - 1 : n;
}

QString TRichEditStrings::Get(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_richEdit->document()->findBlockByNumber(index).text();
}

void TRichEditStrings::Put(int index, const QString &s)
{
    if (index < 0)
        return;
    const QTextBlock b = m_richEdit->document()->findBlockByNumber(index);
    if (!b.isValid())
        return;
    m_richEdit->ReplaceRange(b.position(), b.position() + b.length() - 1, s, true, TRichEditChangeKind::Replace);
}

void TRichEditStrings::Insert(int index, const QString &s)
{
    if (index < 0)
        return;
    // the lines here are paragraphs
    const QTextDocument *doc = m_richEdit->document();
    int start = -1;
    QString text;
    if (const QTextBlock b = doc->findBlockByNumber(index); b.isValid()) {
        start = b.position();
        text = s + u'\n';
    } else {
        // past the last line: after the text of the line before, with the break first
        const QTextBlock before = doc->findBlockByNumber(index - 1);
        if (!before.isValid() || before.length() <= 1)
            return;
        start = before.position() + before.length() - 1;
        text = u'\n' + s;
    }
    m_richEdit->ReplaceRange(start, start, text, true, TRichEditChangeKind::Replace);
}

void TRichEditStrings::Delete(int index)
{
    if (index < 0)
        return;
    QTextDocument *doc = m_richEdit->document();
    const QTextBlock b = doc->findBlockByNumber(index);
    if (!b.isValid())
        return;
    const QTextBlock next = b.next();
    const int end = next.isValid() ? next.position() : b.position() + b.length() - 1;
    m_richEdit->ReplaceRange(b.position(), end, QString(), true, TRichEditChangeKind::Delete);
}

void TRichEditStrings::Clear()
{
    m_richEdit->Clear();
}

QString TRichEditStrings::Text() const
{
    QString s;
    const int n = Count();
    for (int i = 0; i < n; ++i)
        s += Get(i) + u'\n';
    return s;
}

void TRichEditStrings::SetTextStr(const QString &value)
{
    EnableChange(false);
    BeginUpdate();
    Clear();
    QString text = plaintext::NormalizeLineBreaks(value);
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text += u'\n';
    m_richEdit->ReplaceRange(0, 0, text, true, TRichEditChangeKind::Replace);
    EndUpdate();
    EnableChange(true);
}

void TRichEditStrings::AddStrings(const QStringList &strings)
{
    // no selection notifications while the lines go in
    auto handler = std::move(m_richEdit->OnSelectionChange);
    m_richEdit->OnSelectionChange = nullptr;
    BeginUpdate();
    for (const QString &s : strings)
        Add(s);
    EndUpdate();
    m_richEdit->OnSelectionChange = std::move(handler);
}

void TRichEditStrings::Assign(const QStringList &strings)
{
    SetTextStr(strings.isEmpty() ? QString() : strings.join(u'\n') + u'\n');
}

void TRichEditStrings::BeginUpdate()
{
    if (m_updateCount++ == 0)
        m_richEdit->viewport()->setUpdatesEnabled(false);
}

void TRichEditStrings::EndUpdate()
{
    if (m_updateCount > 0 && --m_updateCount == 0) {
        m_richEdit->viewport()->setUpdatesEnabled(true);
        m_richEdit->viewport()->update();
    }
}

void TRichEditStrings::EnableChange(bool value)
{
    m_richEdit->SetChangeEventsEnabled(value);
}

// ---- streams ----

void TRichEditStrings::ForgetFileFormat()
{
    m_hasFileFormat = false;
    m_fileFormat = sfRichText;
    m_plainFormat = plaintext::TTextFormat{};
}

int TRichEditStrings::FallbackCodePage() const
{
    if (m_fallbackCodePage > 0)
        return m_fallbackCodePage;
    return BrivoIni ? codePageOfLanguage(BrivoIni->Language) : 1252;
}

bool TRichEditStrings::plainFor(TRichStreamFormat format) const
{
    return format == sfPlainText || (format == sfDefault && m_richEdit->PlainText());
}

bool TRichEditStrings::readAll(QIODevice &stream, TConversion &converter, QByteArray &bytes)
{
    bytes.clear();
    QByteArray chunk(StreamChunk, Qt::Uninitialized);
    try {
        for (;;) {
            const qint64 n = converter.ConvertReadStream(stream, chunk.data(), StreamChunk);
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            bytes.append(chunk.constData(), std::min(n, StreamChunk));
            if (bytes.size() > MaxStreamBytes)
                return false; // no note is this large: the rest is not read
        }
    } catch (...) {
        return false; // the converter's failure stops the stream
    }
}

void TRichEditStrings::readPlain(const QString &text, QTextDocument &doc)
{
    // in slices, so the progress handler hears of a long text (the line breaks are all "\n" here, so a
    // slice may end anywhere)
    constexpr qsizetype Slice = qsizetype(1) << 18;
    QTextCursor c(&doc);
    c.beginEditBlock();
    for (qsizetype done = 0; done < text.size(); done += Slice) {
        if (OnProgress && done > 0 && !OnProgress(done, text.size()))
            throw LoadCancelled();
        c.insertText(QStringView(text).mid(done, Slice).toString(), QTextCharFormat());
    }
    c.endEditBlock();
}

bool TRichEditStrings::readRich(const QByteArray &bytes, const QTextCursor &at)
{
    const auto codec = RichTextCodec();
    if (!codec)
        return false;
    TRichDocumentBuilder builder(at, m_richEdit->DefaultCharFormat());
    if (OnProgress)
        builder.SetProgressHandler(OnProgress);
    const bool ok = codec->Read(bytes, builder);
    if (builder.Stopped())
        throw LoadCancelled();
    if (ok)
        builder.Finish();
    return ok;
}

bool TRichEditStrings::loadBytes(const QByteArray &bytes, bool plain, TRichStreamModes mode)
{
    plaintext::TTextFormat textFormat;
    QString text;
    if (plain) {
        const bool decoded = mode.testFlag(smUnicode) ? plaintext::DecodeUtf16(bytes, text, textFormat)
                                                      : plaintext::Decode(bytes, FallbackCodePage(), text, textFormat);
        if (!decoded)
            return false;
    }
    const bool selection = mode.testFlag(smSelection);
    // rich text is read once, into a document of its own, and goes in only when it was read: bytes the
    // codec refuses, or a read that is stopped, leave the control, its modified flag and its undo history
    // as they were
    std::unique_ptr<QTextDocument> doc;
    if (!plain || !selection) {
        doc = m_richEdit->CreateDocument();
        if (plain)
            readPlain(text, *doc);
        else if (!readRich(bytes, QTextCursor(doc.get())))
            return false;
    }
    const bool events = m_richEdit->ChangeEventsEnabled();
    if (selection) {
        // in place of the selection, as one step to undo, when the document stays short enough to show
        QTextCursor c = m_richEdit->textCursor();
        const std::unique_ptr<TShownHeight> incoming = m_richEdit->MeasureIncoming();
        if (plain)
            incoming->AddText(text, InsertionFormat(c.charFormat()), c.blockFormat());
        else
            incoming->AddDocument(*doc);
        if (m_richEdit->HeightWith(c.selectionStart(), c.selectionEnd(), *incoming) >
            TMMRxCustomRichEdit::MaxDocumentHeight) {
            qint64 lines = 0;
            const qreal height = m_richEdit->HeightWith(c.selectionStart(), c.selectionEnd(), *incoming, &lines);
            throw PlatformError(TMMRxCustomRichEdit::TooLongText(height, lines, true));
        }
        const TMMRxCustomRichEdit::MeasuredEdit measured(*m_richEdit);
        m_richEdit->SetChangeEventsEnabled(false);
        c.beginEditBlock();
        c.removeSelectedText();
        if (plain)
            c.insertText(text, InsertionFormat(c.charFormat()));
        else
            c.insertFragment(QTextDocumentFragment(doc.get()));
        c.endEditBlock();
        m_richEdit->SetChangeEventsEnabled(events);
    } else {
        qint64 lines = 0;
        if (const qreal height = m_richEdit->ShownHeight(*doc, &lines); height > TMMRxCustomRichEdit::MaxDocumentHeight)
            throw PlatformError(TMMRxCustomRichEdit::TooLongText(height, lines, false));
        m_richEdit->AdoptDocument(std::move(doc));
        m_richEdit->document()->setModified(false);
        m_hasFileFormat = true;
        m_fileFormat = plain ? sfPlainText : sfRichText;
        m_plainFormat = plain ? textFormat : plaintext::TTextFormat{};
    }
    if (events && m_richEdit->OnChange)
        m_richEdit->OnChange(m_richEdit);
    return true;
}

void TRichEditStrings::LoadFromStream(QIODevice &stream)
{
    std::unique_ptr<TConversion> temporary;
    TConversion *converter = Converter.get();
    if (!converter) {
        temporary = std::make_unique<TConversion>();
        converter = temporary.get();
    }
    const qint64 position = stream.pos();
    const bool plain = plainFor(Format);
    QByteArray bytes;
    const bool read = readAll(stream, *converter, bytes);
    if (!read || !loadBytes(bytes, plain, Mode)) {
        // read once more from the same place, in the other format, as a whole document
        bool again = read;
        if (!stream.isSequential() && stream.seek(position))
            again = readAll(stream, *converter, bytes);
        if (!again || !loadBytes(bytes, !plain, {}))
            throw PlatformError(SRichEditLoadFail);
    }
    m_richEdit->SetSelection(0, 0, true);
}

void TRichEditStrings::SaveToStream(QIODevice &stream)
{
    std::unique_ptr<TConversion> temporary;
    TConversion *converter = Converter.get();
    if (!converter) {
        temporary = std::make_unique<TConversion>();
        converter = temporary.get();
    }
    QTextDocument *doc = m_richEdit->document();
    const bool selection = Mode.testFlag(smSelection);
    int start = 0, end = m_richEdit->TextLength();
    if (selection)
        m_richEdit->GetSelection(start, end);
    const bool plain = plainFor(Format);
    QByteArray bytes;
    plaintext::TTextFormat textFormat;
    if (plain) {
        if (Mode.testFlag(smUnicode)) {
            textFormat.Encoding = plaintext::TEncoding::Utf16LERaw;
            textFormat.LineEnd = plaintext::TLineEnd::CrLf;
        } else if (m_hasFileFormat && m_fileFormat == sfPlainText) {
            textFormat = m_plainFormat; // as the document was read
        }
        // a U+2028 read from a plain-text file goes back as it came
        bytes = plaintext::Encode(PlainTextOf(doc, start, end, false), textFormat);
    } else {
        const auto codec = RichTextCodec();
        if (!codec || !codec->Write(TRichDocumentSource(doc, start, end, m_richEdit->DefaultCharFormat()), Mode, bytes))
            throw PlatformError(SRichEditSaveFail);
    }
    try {
        for (qint64 done = 0; done < bytes.size();) {
            const qint64 n = converter->ConvertWriteStream(stream, bytes.constData() + done,
                                                           std::min(StreamChunk, bytes.size() - done));
            if (n <= 0)
                throw PlatformError(SRichEditSaveFail);
            done += n;
        }
    } catch (...) {
        throw PlatformError(SRichEditSaveFail);
    }
    if (!selection) {
        m_hasFileFormat = true;
        m_fileFormat = plain ? sfPlainText : sfRichText;
        m_plainFormat = plain ? textFormat : plaintext::TTextFormat{};
    }
}

void TRichEditStrings::LoadFromFile(const QString &fileName)
{
    fileOperation(fileName, false);
}

void TRichEditStrings::SaveToFile(const QString &fileName)
{
    fileOperation(fileName, true);
}

void TRichEditStrings::fileOperation(const QString &fileName, bool save)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    const TRichConversionFormat *known = formatForExtension(ext);
    if (!Converter && known)
        Converter = std::make_unique<TConversion>();
    const TRichStreamFormat saved = Format;
    if (known)
        Format = known->PlainText ? sfPlainText : sfRichText;
    else if (save && m_hasFileFormat)
        Format = m_fileFormat; // a document is written back in the format it was read in
    try {
        if (save) {
            // the document is streamed whole first, then replaces the file in one step
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            SaveToStream(buffer);
            QString error;
            if (!atomicfile::write(fileName, buffer.data(), &error))
                throw PlatformError(
                    QStringLiteral("Cannot write file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), error));
        } else {
            // a regular file only: a pipe or a device would hold the window or never end
            QFile file;
            if (const regularfiles::Outcome opened = regularfiles::open(fileName, file); !opened)
                throw PlatformError(QStringLiteral("Cannot open file \"%1\". %2%3.")
                                        .arg(QDir::toNativeSeparators(fileName), opened.reason.left(1).toUpper(),
                                             opened.reason.mid(1)));
            if (file.size() > MaxStreamBytes)
                throw PlatformError(QStringLiteral("Cannot open file \"%1\". It holds %2 MB; a note may hold %3 MB.")
                                        .arg(QDir::toNativeSeparators(fileName))
                                        .arg(file.size() >> 20)
                                        .arg(MaxStreamBytes >> 20));
            try {
                LoadFromStream(file);
            } catch (const LoadCancelled &) {
                throw;
            } catch (const PlatformError &e) {
                throw PlatformError(
                    QStringLiteral("Cannot read file \"%1\". %2").arg(QDir::toNativeSeparators(fileName), e.message()));
            }
        }
    } catch (...) {
        Format = saved;
        Converter.reset();
        throw;
    }
    Format = saved;
}
