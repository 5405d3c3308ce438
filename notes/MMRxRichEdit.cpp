#include "notes/MMRxRichEdit.h"

#include "notes/ParagraphNumbers.h"
#include "notes/RichEditObjects.h"
#include "notes/RichTextHtml.h"
#include "notes/ShownHeight.h"
#include "notes/ShownLines.h"
#include "platform/RegularFiles.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>
#include <algorithm>

using namespace richedit;

namespace {

constexpr int SelectionBarWidth = 8;
constexpr int UnlimitedLength = 0xFFFFFF;
const QString InternalMime = QStringLiteral("application/x-brivo-richedit");
const QStringList RtfMimes = {QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                              QStringLiteral("text/richtext")};

// Links the control recognises by themselves: a scheme it knows followed by the address, or "www.".
const QRegularExpression &urlPattern()
{
    static const QRegularExpression re(
        QStringLiteral(R"((?<![\w.@])(?:(?:https?|ftp|file|mailto|news|nntp|telnet|gopher|wais|prospero|notes):)"
                       R"([^\s<>"\x{FFFC}\x{2028}\x{2029}]+|www\.[^\s<>"\x{FFFC}\x{2028}\x{2029}]+))"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

int trimLinkEnd(const QString &text, int start, int end)
{
    static const QString trailing = QStringLiteral(".,;:!?'\")]}>");
    while (end > start && trailing.contains(text[end - 1]))
        --end;
    return end;
}

// Text of a document range as the control gives it: a paragraph break is "\r".
QString rangeText(QTextDocument *doc, int start, int end)
{
    QTextCursor c(doc);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    QString s = c.selectedText();
    s.replace(QChar::ParagraphSeparator, u'\r');
    return s;
}

// Copied selections: the fragment keeps every format of ours, so a copy inside the program loses
// nothing; other programs get plain text, and rich text when a rich-text codec is registered.
class TRichEditMimeData : public QMimeData {
public:
    TRichEditMimeData(const TMMRxCustomRichEdit *owner, const QTextDocumentFragment &fragment, QString plain,
                      const TRichCharFormat &defaults)
        : Owner(owner)
        , Fragment(fragment)
        , Plain(std::move(plain))
        , Defaults(defaults)
    {
        setText(Plain);
    }
    QStringList formats() const override
    {
        QStringList f{InternalMime, QStringLiteral("text/plain")};
        if (RichTextCodec())
            f.append(RtfMimes.first());
        return f;
    }
    bool hasFormat(const QString &mime) const override { return formats().contains(mime); }

    const TMMRxCustomRichEdit *Owner;
    QTextDocumentFragment Fragment;
    QString Plain;
    TRichCharFormat Defaults;

protected:
    QVariant retrieveData(const QString &mime, QMetaType type) const override
    {
        if (mime == RtfMimes.first()) {
            auto codec = RichTextCodec();
            if (!codec)
                return {};
            QTextDocument scratch;
            QTextCursor(&scratch).insertFragment(Fragment);
            QByteArray out;
            if (!codec->Write(TRichDocumentSource(&scratch, 0, -1, Defaults), {}, out))
                return {};
            return out;
        }
        if (mime == InternalMime)
            return QByteArray();
        return QMimeData::retrieveData(mime, type);
    }
};

// What a paste or drop brings, in the first form the document can keep: its own fragment, rich text
// for the codec, pictures, HTML read into a fragment, or plain text (file names for files that are not
// pictures).
struct TIncoming {
    QTextDocumentFragment Fragment;
    QByteArray Rtf;
    QList<QImage> Images;
    QList<TRichObject> Files; // embedded or linked
    QStringList TooLarge;     // files refused for their size
    QStringList Refused;      // names handed in that are no file to read (a pipe, a device), each with why
    QString Plain;

    bool IsEmpty() const
    {
        return Fragment.isEmpty() && Rtf.isEmpty() && Images.isEmpty() && Files.isEmpty() && Plain.isEmpty();
    }
    // Characters the rich forms take (rich text read by the codec is counted by nobody in advance).
    int RichLength() const
    {
        return !Fragment.isEmpty() ? int(Fragment.toRawText().size()) : int(Images.size() + Files.size());
    }
};

// Appends the picture of the file at path (a regular file, not too large) to images; false when it
// holds none.
bool pictureFile(const QString &path, QList<QImage> &images)
{
    QFile file;
    if (!regularfiles::open(path, file) || file.size() > richedit::MaxEmbeddedFileSize)
        return false;
    QImageReader reader(&file);
    if (!reader.canRead())
        return false;
    images.append(reader.read());
    return true;
}

// Only what the document can keep comes in: HTML as the rich text it shows, in the notes' formats (runs
// take what it does not say from defaults).
TIncoming incomingFrom(const QMimeData &source, bool plainText, bool allowObjects, bool link,
                       const TRichCharFormat &defaults)
{
    TIncoming in;
    if (const auto *ours = dynamic_cast<const TRichEditMimeData *>(&source)) {
        in.Plain = ours->Plain;
        const bool hasObjects = ours->Fragment.toRawText().contains(QChar(ObjectChar));
        if (!plainText && (allowObjects || !hasObjects))
            in.Fragment = ours->Fragment;
        return in;
    }
    if (!plainText && RichTextCodec()) {
        for (const QString &m : RtfMimes) {
            if (source.hasFormat(m)) {
                in.Rtf = source.data(m);
                break;
            }
        }
    }
    if (!in.Rtf.isEmpty())
        return in;
    if (!plainText && allowObjects && source.hasImage()) {
        in.Images.append(qvariant_cast<QImage>(source.imageData()));
        return in;
    }
    // a page's copy; a link or a file dragged with HTML beside it comes in as below
    if (!plainText && !source.hasUrls() && source.hasHtml() &&
        source.data(QStringLiteral("text/html")).size() <= 2 * richedit::MaxHtmlLength) {
        in.Fragment = richedit::FragmentFromHtml(source.html(), defaults);
        if (!in.Fragment.isEmpty()) {
            in.Plain = source.text();
            return in;
        }
    }
    if (source.hasUrls()) {
        QStringList paths;
        for (const QUrl &url : source.urls()) {
            if (!url.isLocalFile())
                continue;
            const QString path = url.toLocalFile();
            if (plainText || !allowObjects) {
                paths.append(path);
                continue;
            }
            // only a regular file is read: a pipe or a device would hold the window or never end
            const regularfiles::Outcome what = regularfiles::check(path);
            if (what.kind == regularfiles::Outcome::NotAFile || what.kind == regularfiles::Outcome::Unreadable) {
                in.Refused.append(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), what.reason));
                continue;
            }
            // a picture file comes in as a picture; any other file (or a link) as a file object
            if (!link && pictureFile(path, in.Images))
                continue;
            richedit::TFileObjectError error = richedit::TFileObjectError::None;
            const TRichObject file = richedit::FileObject(path, link, &error);
            if (error == richedit::TFileObjectError::None)
                in.Files.append(file);
            else if (error == richedit::TFileObjectError::TooLarge)
                in.TooLarge.append(QFileInfo(path).fileName());
            else
                paths.append(path);
        }
        in.Plain = paths.join(u'\n');
    }
    if (in.Images.isEmpty() && in.Files.isEmpty() && in.TooLarge.isEmpty() && in.Refused.isEmpty() &&
        in.Plain.isEmpty() && source.hasText())
        in.Plain = source.text();
    return in;
}

// Each picture as an inline object that keeps its PNG bytes.
void insertImages(QTextCursor &cursor, const QList<QImage> &images)
{
    for (const QImage &image : images) {
        TRichObject o;
        o.Image = image;
        QBuffer buffer(&o.Data);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        o.DataFormat = QStringLiteral("png");
        richedit::InsertObject(cursor, o, InsertionFormat(cursor.charFormat()));
    }
}

} // namespace

// ---- construction ----

TMMRxCustomRichEdit::TMMRxCustomRichEdit(QWidget *parent)
    : QTextEdit(parent)
    , m_selAttributes(std::make_unique<TRxTextAttributes>(this, atSelected))
    , m_defAttributes(std::make_unique<TRxTextAttributes>(this, atDefaultText))
    , m_wordAttributes(std::make_unique<TRxTextAttributes>(this, atWord))
    , m_paragraph(std::make_unique<TRxParaAttributes>(this))
    , m_lines(std::make_unique<TRichEditStrings>(this))
    , m_defaultFormat(StandardCharFormat())
    , m_numbers(std::make_unique<richedit::TParagraphNumbers>(document()))
    , m_shownLines(std::make_unique<richedit::TShownLines>(document()))
{
    resize(185, 89);
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    setAcceptRichText(true);
    viewport()->setMouseTracking(true);
    m_defAttributes->AssignFont(font());
    applySelectionBar();
    updateScrollBars();
    updateSelectionPalette();
    document()->setModified(false);
    bindDocument();
    connect(this, &QTextEdit::cursorPositionChanged, this, &TMMRxCustomRichEdit::onCursorMoved);
    connect(this, &QTextEdit::selectionChanged, this, &TMMRxCustomRichEdit::onCursorMoved);
}

void TMMRxCustomRichEdit::bindDocument()
{
    QTextDocument *doc = document();
    doc->setUndoRedoEnabled(m_undoLimit > 0);
    connect(doc, &QTextDocument::contentsChanged, this, &TMMRxCustomRichEdit::onContentsChanged);
    connect(doc, &QTextDocument::contentsChange, this, &TMMRxCustomRichEdit::onContentsChange);
    connect(doc, &QTextDocument::undoCommandAdded, this, &TMMRxCustomRichEdit::onUndoCommandAdded);
    connect(doc->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this, [this](const QSizeF &size) {
        const int frame = 2 * frameWidth();
        RequestSize(QRect(geometry().topLeft(), QSize(width(), int(size.height()) + frame)));
    });
}

TMMRxCustomRichEdit::~TMMRxCustomRichEdit()
{
    CloseObjects();
    // data this control put on the clipboard stays there unless the save notification says otherwise
    if (QClipboard *clipboard = QGuiApplication::clipboard()) {
        const auto *data = dynamic_cast<const TRichEditMimeData *>(clipboard->mimeData());
        if (data && data->Owner == this) {
            const QString raw = data->Fragment.toRawText();
            const int objects = int(raw.count(QChar(ObjectChar)));
            if (!SaveClipboard(objects, int(raw.size()) - objects))
                clipboard->clear();
            else
                const_cast<TRichEditMimeData *>(data)->Owner = nullptr; // the data outlives its control
        }
    }
}

// ---- document ----

int TMMRxCustomRichEdit::TextLength() const
{
    return document()->characterCount() - 1;
}

QString TMMRxCustomRichEdit::Text() const
{
    QString s = document()->toRawText();
    s.replace(QChar::ParagraphSeparator, u'\n');
    return s;
}

bool TMMRxCustomRichEdit::Modified() const
{
    return document()->isModified();
}

void TMMRxCustomRichEdit::SetModified(bool value)
{
    document()->setModified(value);
    if (OnModifyChanged)
        OnModifyChanged(this);
}

void TMMRxCustomRichEdit::Clear()
{
    const bool events = m_changeEvents;
    m_changeEvents = false;
    RunWithoutUndo([this] { ResetDocument(); });
    m_changeEvents = events;
    m_lines->ForgetFileFormat();
    SetModified(false);
    FileName.clear();
    Named = false;
    scheduleUrlOverlay();
}

void TMMRxCustomRichEdit::ResetDocument()
{
    document()->clear();
    applySelectionBar();
    m_undoDepth = 0;
}

std::unique_ptr<QTextDocument> TMMRxCustomRichEdit::CreateDocument() const
{
    const QTextDocument *now = document();
    auto doc = std::make_unique<QTextDocument>();
    doc->setUndoRedoEnabled(false); // a read is no step to undo; AdoptDocument turns it on
    doc->setDefaultFont(now->defaultFont());
    doc->setDefaultTextOption(now->defaultTextOption());
    doc->setDocumentMargin(now->documentMargin());
    doc->setIndentWidth(now->indentWidth());
    doc->setUseDesignMetrics(now->useDesignMetrics());
    doc->setDefaultCursorMoveStyle(now->defaultCursorMoveStyle());
    doc->rootFrame()->setFrameFormat(now->rootFrame()->frameFormat()); // the selection bar's margin
    return doc;
}

void TMMRxCustomRichEdit::AdoptDocument(std::unique_ptr<QTextDocument> doc)
{
    if (!doc)
        return;
    // the wrapping is settled before the layout first sees the document
    chooseWrapFor(doc.get());
    QPointer<QTextDocument> old = document();
    const bool ours = old->parent() == this; // adopted before; QTextEdit deletes its own first one
    doc->setParent(this);
    disconnect(old, nullptr, this, nullptr);
    disconnect(old->documentLayout(), nullptr, this, nullptr);
    m_lastAnchor = m_lastPosition = -1; // the caret's move to the new document is a selection change
    m_numbers = std::make_unique<richedit::TParagraphNumbers>(doc.get());
    m_shownLines = std::make_unique<richedit::TShownLines>(doc.get());
    m_heights.reset();
    setDocument(doc.release());
    if (ours && old)
        delete old;
    // the document was measured at the window's width
    if (m_wrapFloor > 0)
        setWrapFloor(0);
    bindDocument();
    m_undoDepth = 0;
    closeRemovedObjects();
    scheduleUrlOverlay();
}

void TMMRxCustomRichEdit::RunWithoutUndo(const std::function<void()> &body)
{
    document()->setUndoRedoEnabled(false);
    body();
    document()->setUndoRedoEnabled(m_undoLimit > 0);
    m_undoDepth = 0;
}

void TMMRxCustomRichEdit::SetDefaultCharFormat(const TRichCharFormat &format)
{
    m_defaultFormat = format;
    m_defaultFormat.Mask = CFM_ALL;
    m_heights.reset();
    applyDefaultFormat();
    // the text without a font of its own is laid out again in the new one, no narrower than keeps it
    // short enough to be shown (Qt has laid out no more than its start)
    fitWrapWidth();
}

void TMMRxCustomRichEdit::applyDefaultFormat()
{
    const TRichCharFormat &f = m_defaultFormat;
    QFont font = document()->defaultFont();
    if (!f.FaceName.isEmpty())
        font.setFamilies(QStringList{f.FaceName});
    if (f.Height > 0)
        font.setPointSizeF(f.Height / 20.0);
    font.setWeight(QFont::Weight(f.effect(CFE_BOLD) ? std::max(f.Weight, 700) : std::clamp(f.Weight, 1, 599)));
    font.setItalic(f.effect(CFE_ITALIC));
    font.setUnderline(f.effect(CFE_UNDERLINE));
    font.setStrikeOut(f.effect(CFE_STRIKEOUT));
    font.setFixedPitch((f.PitchAndFamily & 3) == FIXED_PITCH);
    document()->setDefaultFont(font);
    QPalette p = palette();
    const QColor text =
        f.effect(CFE_AUTOCOLOR) ? QApplication::palette().color(QPalette::Text) : QColor::fromRgb(f.TextColor);
    p.setColor(QPalette::Text, text);
    setPalette(p);
}

// ---- selection and text ----

void TMMRxCustomRichEdit::GetSelection(int &cpMin, int &cpMax) const
{
    const QTextCursor c = textCursor();
    cpMin = c.selectionStart();
    cpMax = c.selectionEnd();
}

void TMMRxCustomRichEdit::SetSelection(int startPos, int endPos, bool scrollCaret)
{
    const int length = TextLength();
    if (endPos < 0)
        endPos = length;
    QTextCursor c(document());
    c.setPosition(std::clamp(startPos, 0, length));
    c.setPosition(std::clamp(endPos, 0, length), QTextCursor::KeepAnchor);
    setTextCursor(c);
    if (scrollCaret)
        ensureCursorVisible();
}

int TMMRxCustomRichEdit::SelStart() const
{
    return textCursor().selectionStart();
}

void TMMRxCustomRichEdit::SetSelStart(int value)
{
    SetSelection(value, value, false);
}

int TMMRxCustomRichEdit::SelLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TMMRxCustomRichEdit::SetSelLength(int value)
{
    const int start = SelStart();
    SetSelection(start, start + value, true);
}

QString TMMRxCustomRichEdit::SelText() const
{
    int a = 0, b = 0;
    GetSelection(a, b);
    return GetTextRange(a, b);
}

void TMMRxCustomRichEdit::SetSelText(const QString &value)
{
    int a = 0, b = 0;
    GetSelection(a, b);
    ReplaceRange(a, b, value, false, TRichEditChangeKind::Replace);
}

int TMMRxCustomRichEdit::GetSelTextBuf(QChar *buffer, int bufSize) const
{
    if (!buffer || bufSize < 0)
        return 0;
    const QString s = SelText();
    const int n = std::min<int>(bufSize, int(s.size()));
    std::copy_n(s.constData(), n, buffer);
    buffer[n] = QChar(0);
    return n;
}

QString TMMRxCustomRichEdit::GetTextRange(int startPos, int endPos) const
{
    const int length = TextLength();
    startPos = std::clamp(startPos, 0, length);
    endPos = std::clamp(endPos, 0, length);
    if (endPos <= startPos)
        return {};
    return rangeText(document(), startPos, endPos);
}

QTextBlock TMMRxCustomRichEdit::blockOfChar(int charIndex) const
{
    const QTextBlock b = document()->findBlock(std::max(0, charIndex));
    return b.isValid() ? b : document()->lastBlock();
}

int TMMRxCustomRichEdit::LineFromChar(int charIndex) const
{
    const QTextBlock block = blockOfChar(charIndex);
    const int line = m_shownLines->FirstLineOf(block); // lays the paragraph out
    const int offset = std::clamp(charIndex - block.position(), 0, block.length() - 1);
    const QTextLine inBlock = block.layout()->lineForTextPosition(offset);
    return line + (inBlock.isValid() ? inBlock.lineNumber() : 0);
}

int TMMRxCustomRichEdit::GetLineIndex(int lineNo) const
{
    if (lineNo == -1)
        lineNo = LineFromChar(textCursor().position());
    int inBlock = 0;
    const QTextBlock block = m_shownLines->BlockOfLine(lineNo, &inBlock);
    if (!block.isValid())
        return -1;
    const QTextLine line = block.layout()->lineAt(inBlock);
    return block.position() + (line.isValid() ? line.textStart() : 0);
}

int TMMRxCustomRichEdit::GetLineLength(int charIndex) const
{
    const QTextBlock block = blockOfChar(charIndex);
    TShownLines::LinesOf(block);
    const int offset = std::clamp(charIndex - block.position(), 0, block.length() - 1);
    const QTextLine line = block.layout()->lineForTextPosition(offset);
    if (!line.isValid())
        return block.length() - 1;
    // the paragraph's break is not part of its last line
    return std::min(line.textStart() + line.textLength(), block.length() - 1) - line.textStart();
}

QPoint TMMRxCustomRichEdit::GetCaretPos() const
{
    int a = 0, b = 0;
    GetSelection(a, b);
    const int line = LineFromChar(b);
    return QPoint(b - GetLineIndex(line), line);
}

QPoint TMMRxCustomRichEdit::GetCharPos(int charIndex) const
{
    QTextCursor c(document());
    c.setPosition(std::clamp(charIndex, 0, TextLength()));
    return cursorRect(c).topLeft();
}

TRichSelectionType TMMRxCustomRichEdit::SelectionType() const
{
    const QString s = textCursor().selectedText();
    const auto objects = s.count(QChar(ObjectChar));
    const auto chars = s.size() - objects;
    TRichSelectionType t;
    if (chars > 0)
        t |= stText;
    if (chars > 1)
        t |= stMultiChar;
    if (objects > 0)
        t |= stObject;
    if (objects > 1)
        t |= stMultiObject;
    return t;
}

void TMMRxCustomRichEdit::InsertObject(const TRichObject &object)
{
    QTextCursor c = textCursor();
    if (EditRefused(c.selectionStart(), c.selectionEnd(), {TRichEditChangeKind::Replace, {}}))
        return;
    c.beginEditBlock();
    c.removeSelectedText();
    richedit::InsertObject(c, object, InsertionFormat(c.charFormat()));
    c.endEditBlock();
    setTextCursor(c);
}

TRichObject TMMRxCustomRichEdit::ObjectAt(int position) const
{
    const QTextBlock b = document()->findBlock(position);
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (f.contains(position) && IsObjectFormat(f.charFormat()))
            return ObjectOf(document(), f.charFormat());
    }
    return {};
}

bool TMMRxCustomRichEdit::ReplaceRange(int start, int end, const QString &text, bool lines, TRichEditChangeKind kind)
{
    const int length = TextLength();
    start = std::clamp(start, 0, length);
    end = std::clamp(end, start, length);
    if (EditRefused(start, end, {kind, text}))
        return false;
    QString insert = text;
    const int room = maxLengthRoom(end - start);
    if (insert.size() > room)
        insert.truncate(std::max(0, room));
    insert = plainInsertion(insert);
    if (!m_measuredEdit && !roomForText(start, end, insert))
        return false;
    const MeasuredEdit measured(*this);
    QTextCursor c(document());
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    auto edit = [&] {
        c.beginEditBlock();
        c.removeSelectedText();
        insertPlain(c, insert);
        c.endEditBlock();
    };
    if (lines || m_undoLimit < 1)
        RunWithoutUndo(edit);
    else
        edit();
    if (lines) {
        QTextCursor caret(document());
        caret.setPosition(c.position());
        setTextCursor(caret);
    } else {
        SetSelection(start, c.position(), true);
    }
    return true;
}

QString TMMRxCustomRichEdit::plainInsertion(const QString &text)
{
    QString normal = plaintext::NormalizeLineBreaks(text);
    normal.replace(QChar::ParagraphSeparator, u'\n');
    return normal;
}

void TMMRxCustomRichEdit::insertPlain(QTextCursor &cursor, const QString &text)
{
    if (!text.isEmpty())
        cursor.insertText(text, InsertionFormat(cursor.charFormat()));
}

int TMMRxCustomRichEdit::maxLengthRoom(int replacedLength) const
{
    const int limit = m_maxLength == 0 ? UnlimitedLength : m_maxLength;
    return std::max(0, limit - (TextLength() - replacedLength));
}

// ---- protected text ----

bool TMMRxCustomRichEdit::rangeProtected(int start, int end) const
{
    QTextDocument *doc = document();
    if (end <= start) {
        // inserting: refused only inside protected text, not at its edges
        if (start <= 0 || start >= TextLength())
            return false;
        QTextCursor before(doc), after(doc);
        before.setPosition(start);
        after.setPosition(start + 1);
        return IsProtected(before.charFormat()) && IsProtected(after.charFormat());
    }
    for (QTextBlock b = doc->findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() + f.length() <= start || f.position() >= end)
                continue;
            if (IsProtected(f.charFormat()))
                return true;
        }
    }
    return false;
}

bool TMMRxCustomRichEdit::EditRefused(int start, int end, const TRichEditChangeRequest &request)
{
    if (!rangeProtected(start, end))
        return false;
    return !ProtectChange(request, start, end);
}

void TMMRxCustomRichEdit::stripProtectedInsertFormat()
{
    QTextCursor c = textCursor();
    if (!c.hasSelection() && IsProtected(c.charFormat())) {
        c.setCharFormat(InsertionFormat(c.charFormat()));
        setTextCursor(c);
    }
}

// ---- notifications ----

void TMMRxCustomRichEdit::RequestSize(const QRect &rect)
{
    if (OnResizeRequest)
        OnResizeRequest(this, rect);
}

void TMMRxCustomRichEdit::SelectionChange()
{
    if (OnSelectionChange)
        OnSelectionChange(this);
}

bool TMMRxCustomRichEdit::ProtectChange(const TRichEditChangeRequest &request, int startPos, int endPos)
{
    bool allow = false;
    if (OnProtectChangeEx)
        OnProtectChangeEx(this, request, startPos, endPos, allow);
    else if (OnProtectChange)
        OnProtectChange(this, startPos, endPos, allow);
    return allow;
}

bool TMMRxCustomRichEdit::SaveClipboard(int numObjects, int numChars)
{
    bool save = true;
    if (OnSaveClipboard)
        OnSaveClipboard(this, numObjects, numChars, save);
    return save;
}

void TMMRxCustomRichEdit::URLClick(const QString &urlText, Qt::MouseButton button)
{
    if (OnURLClick)
        OnURLClick(this, urlText, button);
}

void TMMRxCustomRichEdit::onContentsChanged()
{
    scheduleUrlOverlay();
    closeRemovedObjects();
    if (m_changeEvents && OnChange)
        OnChange(this);
}

void TMMRxCustomRichEdit::onCursorMoved()
{
    const QTextCursor c = textCursor();
    if (c.anchor() == m_lastAnchor && c.position() == m_lastPosition)
        return;
    m_lastAnchor = c.anchor();
    m_lastPosition = c.position();
    SelectionChange();
}

// ---- undo ----

void TMMRxCustomRichEdit::onUndoCommandAdded()
{
    if (!m_inUndoRedo)
        m_undoDepth = std::min(m_undoDepth + 1, m_undoLimit);
}

void TMMRxCustomRichEdit::resetUndo()
{
    document()->clearUndoRedoStacks();
    m_undoDepth = 0;
}

bool TMMRxCustomRichEdit::CanUndo() const
{
    return m_undoDepth > 0 && document()->isUndoAvailable();
}

bool TMMRxCustomRichEdit::CanRedo() const
{
    return m_undoLimit > 0 && document()->isRedoAvailable();
}

void TMMRxCustomRichEdit::Undo()
{
    if (!isReadOnly() && CanUndo()) {
        m_inUndoRedo = true;
        undo();
        m_inUndoRedo = false;
        --m_undoDepth;
    }
    // back where the document was last loaded or saved: no longer modified
    if (!document()->isModified())
        SetModified(false);
    if (OnUndo)
        OnUndo(this);
}

void TMMRxCustomRichEdit::Redo()
{
    if (isReadOnly() || !CanRedo())
        return;
    m_inUndoRedo = true;
    redo();
    m_inUndoRedo = false;
    m_undoDepth = std::min(m_undoDepth + 1, m_undoLimit);
}

void TMMRxCustomRichEdit::SetUndoLimit(int value)
{
    value = std::max(0, value);
    if (value == m_undoLimit)
        return;
    m_undoLimit = value;
    if (value == 0) {
        document()->setUndoRedoEnabled(false);
        m_undoDepth = 0;
    } else {
        document()->setUndoRedoEnabled(true);
        m_undoDepth = std::min(m_undoDepth, value);
    }
}

// ---- clipboard ----

void TMMRxCustomRichEdit::CopyToClipboard()
{
    if (textCursor().hasSelection())
        QGuiApplication::clipboard()->setMimeData(createMimeDataFromSelection());
}

void TMMRxCustomRichEdit::CutToClipboard()
{
    QTextCursor c = textCursor();
    if (isReadOnly() || !c.hasSelection())
        return;
    if (EditRefused(c.selectionStart(), c.selectionEnd(), {TRichEditChangeKind::Cut, {}}))
        return;
    CopyToClipboard();
    c.removeSelectedText();
    setTextCursor(c);
}

void TMMRxCustomRichEdit::PasteFromClipboard()
{
    if (isReadOnly())
        return;
    if (const QMimeData *data = QGuiApplication::clipboard()->mimeData())
        insertGuarded(data, TRichEditChangeKind::Paste);
}

bool TMMRxCustomRichEdit::CanPaste() const
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return !isReadOnly() && data && canInsertFromMimeData(data);
}

void TMMRxCustomRichEdit::ClearSelection()
{
    QTextCursor c = textCursor();
    if (isReadOnly() || !c.hasSelection())
        return;
    if (EditRefused(c.selectionStart(), c.selectionEnd(), {TRichEditChangeKind::Delete, {}}))
        return;
    c.removeSelectedText();
    setTextCursor(c);
}

void TMMRxCustomRichEdit::SelectAllText()
{
    SetSelection(0, TextLength(), false);
}

bool TMMRxCustomRichEdit::canInsertFromMimeData(const QMimeData *source) const
{
    if (!source)
        return false;
    if (dynamic_cast<const TRichEditMimeData *>(source) || source->hasText() || source->hasUrls())
        return true;
    if (m_plainText)
        return false;
    if (m_allowObjects && source->hasImage())
        return true;
    if (source->hasHtml())
        return true;
    if (RichTextCodec())
        return std::any_of(RtfMimes.cbegin(), RtfMimes.cend(), [&](const QString &m) { return source->hasFormat(m); });
    return false;
}

QMimeData *TMMRxCustomRichEdit::createMimeDataFromSelection() const
{
    const QTextCursor c = textCursor();
    return new TRichEditMimeData(this, c.selection(), PlainTextOf(document(), c.selectionStart(), c.selectionEnd()),
                                 m_defaultFormat);
}

void TMMRxCustomRichEdit::insertFromMimeData(const QMimeData *source)
{
    insertGuarded(source, m_inDrop ? TRichEditChangeKind::Drop : TRichEditChangeKind::Paste);
}

bool TMMRxCustomRichEdit::insertGuarded(const QMimeData *source, TRichEditChangeKind kind)
{
    if (!source || isReadOnly())
        return false;
    const TRichCharFormat around = CharFormatOf(InsertionFormat(textCursor().charFormat()), m_defaultFormat);
    TIncoming incoming = incomingFrom(*source, m_plainText, m_allowObjects, m_inDrop && m_dropLinks, around);
    if (!incoming.TooLarge.isEmpty())
        ShowObjectMessage(richedit::FileTooLargeText(incoming.TooLarge));
    if (!incoming.Refused.isEmpty())
        ShowObjectMessage(richedit::FileRefusedText(incoming.Refused));
    if (incoming.IsEmpty())
        return false;
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    // a drop was asked about where it lands before the dragged text moved
    if (!m_inDrop && EditRefused(start, end, {kind, incoming.Plain}))
        return false;

    const int room = maxLengthRoom(end - start);
    const int richLength = incoming.RichLength();
    if (richLength > room || (richLength == 0 && incoming.Rtf.isEmpty() && room <= 0)) {
        QApplication::beep();
        return false;
    }
    // what comes in is measured first, on its own, in a document of its own: what would make the note
    // too tall to be shown is refused before anything changes
    std::unique_ptr<QTextDocument> rich;
    if (!incoming.Fragment.isEmpty()) {
        rich = CreateDocument();
        QTextCursor(rich.get()).insertFragment(incoming.Fragment);
    } else if (!incoming.Rtf.isEmpty()) {
        // read twice, aside and in place: a copy of what was read aside takes longer than a second read
        rich = CreateDocument();
        QTextCursor aside(rich.get());
        if (!insertRtf(aside, incoming.Rtf, c.charFormat()))
            rich.reset();
    } else if (!incoming.Images.isEmpty() || !incoming.Files.isEmpty()) {
        rich = CreateDocument();
        QTextCursor objects(rich.get());
        insertImages(objects, incoming.Images);
        for (const TRichObject &file : incoming.Files)
            richedit::InsertObject(objects, file, InsertionFormat(c.charFormat()));
    }
    QString plain;
    if (!rich) {
        // rich text the codec refused comes in as the source's plain text
        if (incoming.Plain.isEmpty() && source->hasText())
            incoming.Plain = source->text();
        plain = plainInsertion(incoming.Plain.left(room));
    }
    if (!(m_inDrop && m_dropMoves) && (rich ? !roomForDocument(start, end, *rich) : !roomForText(start, end, plain)))
        return false;
    const MeasuredEdit measured(*this);
    c.beginEditBlock();
    c.removeSelectedText();
    if (!incoming.Fragment.isEmpty()) {
        c.insertFragment(incoming.Fragment);
    } else if (!incoming.Rtf.isEmpty() && rich) {
        insertRtf(c, incoming.Rtf, c.charFormat());
    } else if (!incoming.Images.isEmpty() || !incoming.Files.isEmpty()) {
        insertImages(c, incoming.Images);
        for (const TRichObject &file : incoming.Files)
            richedit::InsertObject(c, file, InsertionFormat(c.charFormat()));
    } else {
        insertPlain(c, plain);
    }
    c.endEditBlock();
    setTextCursor(c);
    ensureCursorVisible();
    return true;
}

bool TMMRxCustomRichEdit::insertRtf(QTextCursor &cursor, const QByteArray &rtf, const QTextCharFormat &around) const
{
    TRichDocumentBuilder builder(cursor, m_defaultFormat);
    builder.SetCharFormat(CharFormatOf(around, m_defaultFormat));
    if (!RichTextCodec()->Read(rtf, builder))
        return false;
    builder.Finish();
    cursor.setPosition(builder.Position());
    return true;
}

// ---- keys, input methods, mouse, drag and drop ----

namespace {

// Runs the control's own command for a standard command key (undo, redo, cut, paste), so the key
// passes the control's checks (read-only, protected text, undo limit); false for any other key.
bool runCommandKey(TMMRxCustomRichEdit &edit, QKeyEvent *e)
{
    using Command = void (TMMRxCustomRichEdit::*)();
    static const std::pair<QKeySequence::StandardKey, Command> commands[] = {
        {QKeySequence::Undo, &TMMRxCustomRichEdit::Undo},
        {QKeySequence::Redo, &TMMRxCustomRichEdit::Redo},
        {QKeySequence::Cut, &TMMRxCustomRichEdit::CutToClipboard},
        {QKeySequence::Paste, &TMMRxCustomRichEdit::PasteFromClipboard},
    };
    for (const auto &[key, command] : commands) {
        if (e->matches(key)) {
            (edit.*command)();
            e->accept();
            return true;
        }
    }
    return false;
}

// The formatting keys of the control: bold, italic and underline, the paragraph alignments, and
// subscript and superscript. Each is one undo step; with nothing selected it sets the format that
// typing takes.
enum class FormatKey {
    None,
    Bold,
    Italic,
    Underline,
    AlignLeft,
    AlignCenter,
    AlignRight,
    Justify,
    Subscript,
    Superscript
};

FormatKey formatKeyOf(const QKeyEvent *e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    if (mods == (Qt::ControlModifier | Qt::ShiftModifier))
        return e->key() == Qt::Key_Equal || e->key() == Qt::Key_Plus ? FormatKey::Superscript : FormatKey::None;
    if (mods != Qt::ControlModifier)
        return FormatKey::None;
    switch (e->key()) {
    case Qt::Key_B:
        return FormatKey::Bold;
    case Qt::Key_I:
        return FormatKey::Italic;
    case Qt::Key_U:
        return FormatKey::Underline;
    case Qt::Key_L:
        return FormatKey::AlignLeft;
    case Qt::Key_E:
        return FormatKey::AlignCenter;
    case Qt::Key_R:
        return FormatKey::AlignRight;
    case Qt::Key_J:
        return FormatKey::Justify;
    case Qt::Key_Equal:
        return FormatKey::Subscript;
    default:
        return FormatKey::None;
    }
}

void runFormatKey(TMMRxCustomRichEdit &edit, FormatKey key)
{
    TRxTextAttributes &text = edit.SelAttributes();
    auto toggle = [&](TFontStyle style) { text.SetStyle(text.Style() ^ style); };
    auto script = [&](int value) { text.SetSubscriptStyle(text.SubscriptStyle() == value ? 0 : value); };
    QTextCursor step = edit.textCursor();
    step.beginEditBlock();
    switch (key) {
    case FormatKey::Bold:
        toggle(fsBold);
        break;
    case FormatKey::Italic:
        toggle(fsItalic);
        break;
    case FormatKey::Underline:
        toggle(fsUnderline);
        break;
    case FormatKey::AlignLeft:
        edit.Paragraph().SetAlignment(paLeftJustify);
        break;
    case FormatKey::AlignCenter:
        edit.Paragraph().SetAlignment(paCenter);
        break;
    case FormatKey::AlignRight:
        edit.Paragraph().SetAlignment(paRightJustify);
        break;
    case FormatKey::Justify:
        edit.Paragraph().SetAlignment(paJustify);
        break;
    case FormatKey::Subscript:
        script(1);
        break;
    case FormatKey::Superscript:
        script(2);
        break;
    case FormatKey::None:
        break;
    }
    step.endEditBlock();
}

bool isDeleteKey(const QKeyEvent *e)
{
    return e->matches(QKeySequence::Delete) || e->key() == Qt::Key_Backspace ||
           e->matches(QKeySequence::DeleteEndOfWord) || e->matches(QKeySequence::DeleteStartOfWord) ||
           e->matches(QKeySequence::DeleteEndOfLine) || e->matches(QKeySequence::DeleteCompleteLine);
}

// The range [start, end) a delete key removes: the selection, or without one the character, word or
// line the key names; a whole-line delete takes the line around the selection too.
void deletedRange(const QKeyEvent *e, const QTextCursor &c, int &start, int &end)
{
    auto extend = [&](QTextCursor::MoveOperation op) {
        if (c.hasSelection())
            return;
        QTextCursor m(c);
        m.movePosition(op, QTextCursor::KeepAnchor);
        start = m.selectionStart();
        end = m.selectionEnd();
    };
    if (e->matches(QKeySequence::Delete))
        extend(QTextCursor::NextCharacter);
    else if (e->matches(QKeySequence::DeleteEndOfWord))
        extend(QTextCursor::NextWord);
    else if (e->matches(QKeySequence::DeleteStartOfWord))
        extend(QTextCursor::PreviousWord);
    else if (e->matches(QKeySequence::DeleteEndOfLine))
        extend(QTextCursor::EndOfBlock);
    else if (e->matches(QKeySequence::DeleteCompleteLine)) {
        QTextCursor m(c);
        m.select(QTextCursor::BlockUnderCursor);
        start = std::min(start, m.selectionStart());
        end = std::max(end, m.selectionEnd());
    } else
        extend(QTextCursor::PreviousCharacter);
}

// The text a key types: a line break for Return, a tab for Tab when Tab types, the key's printable
// text; empty for a key that types nothing.
QString typedText(const QKeyEvent *e, bool tabTypes)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        return QStringLiteral("\n");
    if (e->key() == Qt::Key_Tab)
        return tabTypes && !(e->modifiers() & Qt::ControlModifier) ? QStringLiteral("\t") : QString();
    QString text = e->text();
    const auto mods = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier);
    if (!text.isEmpty() && text.at(0).isPrint() && (mods == Qt::NoModifier || mods == Qt::AltModifier) &&
        !e->matches(QKeySequence::SelectAll))
        return text;
    return QString();
}

} // namespace

bool TMMRxCustomRichEdit::event(QEvent *e)
{
    // the control's formatting keys go to the control, not to a window's command of the same key
    if (e->type() == QEvent::ShortcutOverride && formatKeyOf(static_cast<QKeyEvent *>(e)) != FormatKey::None) {
        e->accept();
        return true;
    }
    return QTextEdit::event(e);
}

void TMMRxCustomRichEdit::keyPressEvent(QKeyEvent *e)
{
    if (runCommandKey(*this, e))
        return;
    if (const FormatKey key = formatKeyOf(e); key != FormatKey::None) {
        if (!isReadOnly())
            runFormatKey(*this, key);
        e->accept();
        return;
    }
    if (isReadOnly()) {
        QTextEdit::keyPressEvent(e);
        return;
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !m_wantReturns) {
        e->ignore();
        return;
    }
    const QTextCursor c = textCursor();
    if (e->key() == Qt::Key_Backspace && e->modifiers() == Qt::NoModifier && !c.hasSelection() && c.atBlockStart() &&
        Paragraph().Numbering() != nsNone) {
        // at the start of a numbered or bulleted paragraph the first Backspace takes its number off,
        // as one undo step; the text stays where it is
        QTextCursor step(c);
        step.beginEditBlock();
        Paragraph().SetNumbering(nsNone);
        step.endEditBlock();
        e->accept();
        return;
    }
    int start = c.selectionStart();
    int end = c.selectionEnd();
    TRichEditChangeKind kind = TRichEditChangeKind::Typing;
    QString typed;
    if (isDeleteKey(e)) {
        kind = TRichEditChangeKind::Delete;
        deletedRange(e, c, start, end);
        if (start == end) {
            QTextEdit::keyPressEvent(e);
            return;
        }
    } else {
        typed = typedText(e, !tabChangesFocus());
        if (typed.isEmpty()) {
            QTextEdit::keyPressEvent(e);
            return;
        }
    }
    if (EditRefused(start, end, {kind, typed})) {
        e->accept();
        return;
    }
    if (!typed.isEmpty() && maxLengthRoom(end - start) < typed.size()) {
        QApplication::beep();
        e->accept();
        return;
    }
    if (!typed.isEmpty() && !roomForText(start, end, typed)) {
        e->accept();
        return;
    }
    if (!typed.isEmpty())
        stripProtectedInsertFormat();
    const MeasuredEdit measured(*this);
    QTextEdit::keyPressEvent(e);
}

void TMMRxCustomRichEdit::inputMethodEvent(QInputMethodEvent *e)
{
    if (!isReadOnly() && (!e->commitString().isEmpty() || e->replacementLength() != 0)) {
        const QTextCursor c = textCursor();
        int start = c.selectionStart();
        int end = c.selectionEnd();
        if (e->replacementLength() != 0) {
            start = std::min(start, c.position() + e->replacementStart());
            end = std::max(end, c.position() + e->replacementStart() + e->replacementLength());
        }
        if (EditRefused(start, end, {TRichEditChangeKind::InputMethod, e->commitString()}) ||
            maxLengthRoom(end - start) < e->commitString().size() ||
            !roomForText(start, end, plainInsertion(e->commitString()))) {
            e->accept();
            return;
        }
        stripProtectedInsertFormat();
    }
    const MeasuredEdit measured(*this);
    QTextEdit::inputMethodEvent(e);
}

bool TMMRxCustomRichEdit::inSelectionBar(const QPoint &viewportPos) const
{
    return m_selectionBar &&
           viewportPos.x() + horizontalScrollBar()->value() < document()->rootFrame()->frameFormat().leftMargin();
}

QTextCursor TMMRxCustomRichEdit::lineAt(int y) const
{
    const int textLeft = int(document()->rootFrame()->frameFormat().leftMargin()) + 1;
    return cursorForPosition(QPoint(textLeft - horizontalScrollBar()->value(), y));
}

int TMMRxCustomRichEdit::positionAt(const QPoint &viewportPos, bool exact) const
{
    if (!exact)
        return cursorForPosition(viewportPos).position();
    const QPointF docPos(viewportPos.x() + horizontalScrollBar()->value(),
                         viewportPos.y() + verticalScrollBar()->value());
    return document()->documentLayout()->hitTest(docPos, Qt::ExactHit);
}

bool TMMRxCustomRichEdit::LinkAt(int position, int &start, int &end) const
{
    if (!m_autoUrlDetect || position < 0)
        return false;
    const QTextBlock b = document()->findBlock(position);
    if (!b.isValid())
        return false;
    const QString text = b.text();
    const int offset = position - b.position();
    auto it = urlPattern().globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const int s = int(m.capturedStart());
        const int e = trimLinkEnd(text, s, int(m.capturedEnd()));
        if (offset >= s && offset < e) {
            start = b.position() + s;
            end = b.position() + e;
            return true;
        }
    }
    return false;
}

void TMMRxCustomRichEdit::mousePressEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) {
        int s = -1, en = -1;
        if (LinkAt(positionAt(p, true), s, en)) {
            m_linkStart = s;
            m_linkEnd = en;
        } else {
            m_linkStart = m_linkEnd = -1;
        }
        m_linkButton = e->button();
    }
    if (e->button() == Qt::LeftButton && inSelectionBar(p)) {
        // the selection bar selects whole lines
        QTextCursor line = lineAt(p.y());
        line.movePosition(QTextCursor::StartOfLine);
        const int lineStart = line.position();
        line.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
        if (line.atBlockEnd() && !line.atEnd())
            line.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        if (e->modifiers() & Qt::ShiftModifier) {
            QTextCursor c = textCursor();
            c.setPosition(line.position() >= c.anchor() ? line.position() : lineStart, QTextCursor::KeepAnchor);
            line = c;
        }
        m_barAnchor = line.anchor();
        m_barDrag = true;
        setTextCursor(line);
        setFocus(Qt::MouseFocusReason);
        e->accept();
        return;
    }
    m_wordDrag = e->button() == Qt::LeftButton && !(e->modifiers() & Qt::ShiftModifier);
    m_barAnchor = positionAt(p, false);
    QTextEdit::mousePressEvent(e);
}

void TMMRxCustomRichEdit::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (m_barDrag && (e->buttons() & Qt::LeftButton)) {
        QTextCursor line = lineAt(p.y());
        QTextCursor c(document());
        c.setPosition(m_barAnchor);
        if (line.position() >= m_barAnchor) {
            line.movePosition(QTextCursor::EndOfLine);
            if (line.atBlockEnd() && !line.atEnd())
                line.movePosition(QTextCursor::NextCharacter);
        } else {
            line.movePosition(QTextCursor::StartOfLine);
        }
        c.setPosition(line.position(), QTextCursor::KeepAnchor);
        setTextCursor(c);
        e->accept();
        return;
    }
    int s = -1, en = -1;
    if (inSelectionBar(p))
        viewport()->setCursor(Qt::ArrowCursor);
    else
        viewport()->setCursor(LinkAt(positionAt(p, true), s, en) ? Qt::PointingHandCursor : Qt::IBeamCursor);
    QTextEdit::mouseMoveEvent(e);
    if (m_wordSelection && m_wordDrag && (e->buttons() & Qt::LeftButton)) {
        // once the selection leaves the word it started in, it grows by whole words
        const QTextCursor current = textCursor();
        const int pos = current.position();
        QTextCursor anchorWord(document());
        anchorWord.setPosition(m_barAnchor);
        anchorWord.select(QTextCursor::WordUnderCursor);
        const int ws = anchorWord.hasSelection() ? anchorWord.selectionStart() : m_barAnchor;
        const int we = anchorWord.hasSelection() ? anchorWord.selectionEnd() : m_barAnchor;
        if (pos >= ws && pos <= we)
            return;
        QTextCursor posWord(document());
        posWord.setPosition(pos);
        posWord.select(QTextCursor::WordUnderCursor);
        QTextCursor c(document());
        if (pos > we) {
            c.setPosition(ws);
            c.setPosition(posWord.hasSelection() ? std::max(pos, posWord.selectionEnd()) : pos,
                          QTextCursor::KeepAnchor);
        } else {
            c.setPosition(we);
            c.setPosition(posWord.hasSelection() ? std::min(pos, posWord.selectionStart()) : pos,
                          QTextCursor::KeepAnchor);
        }
        if (c.anchor() != current.anchor() || c.position() != current.position())
            setTextCursor(c);
    }
}

void TMMRxCustomRichEdit::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) {
        // a link click counts only with the same button over the same link on press and release
        int s = -1, en = -1;
        if (LinkAt(positionAt(p, true), s, en) && e->button() == m_linkButton && s == m_linkStart && en == m_linkEnd)
            URLClick(GetTextRange(s, en), e->button());
        m_linkStart = m_linkEnd = -1;
    }
    const bool bar = m_barDrag;
    m_barDrag = false;
    m_wordDrag = false;
    if (!bar)
        QTextEdit::mouseReleaseEvent(e);
    if (e->button() == Qt::RightButton)
        showContextMenu(viewport()->mapToGlobal(p));
}

void TMMRxCustomRichEdit::mouseDoubleClickEvent(QMouseEvent *e)
{
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton && inSelectionBar(p)) {
        QTextCursor c = cursorForPosition(p);
        c.movePosition(QTextCursor::StartOfBlock);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        if (!c.atEnd())
            c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        setTextCursor(c);
        e->accept();
        return;
    }
    // a double click on an object performs its primary verb
    if (e->button() == Qt::LeftButton && selectObjectAt(p) &&
        !richedit::ObjectVerbs(ObjectAt(SelectedObject())).isEmpty()) {
        DoObjectVerb(SelectedObject(), richedit::VerbOpen);
        e->accept();
        return;
    }
    QTextEdit::mouseDoubleClickEvent(e);
}

void TMMRxCustomRichEdit::contextMenuEvent(QContextMenuEvent *e)
{
    // a mouse's menu opens when the right button is released (so a link click can complete first)
    if (e->reason() != QContextMenuEvent::Mouse)
        showContextMenu(e->globalPos());
    e->accept();
}

void TMMRxCustomRichEdit::showContextMenu(const QPoint &globalPos)
{
    // a click on an object selects it, as its menu is about it
    const QPoint local = viewport()->mapFromGlobal(globalPos);
    if (viewport()->rect().contains(local) && SelectionType() != TRichSelectionType(stObject))
        selectObjectAt(local);
    if (m_popupMenu) {
        if (QMenu *menu = GetPopupMenu())
            menu->popup(globalPos);
        return;
    }
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // the edits of the standard menu go through the same checks as keys
    for (QAction *a : menu->actions()) {
        const QString name = a->objectName();
        std::function<void()> handler;
        if (name == u"edit-undo") {
            a->setEnabled(CanUndo());
            handler = [this] { Undo(); };
        } else if (name == u"edit-redo") {
            a->setEnabled(CanRedo());
            handler = [this] { Redo(); };
        } else if (name == u"edit-cut") {
            handler = [this] { CutToClipboard(); };
        } else if (name == u"edit-paste") {
            handler = [this] { PasteFromClipboard(); };
        } else if (name == u"edit-delete") {
            handler = [this] { ClearSelection(); };
        }
        if (handler) {
            disconnect(a, &QAction::triggered, nullptr, nullptr);
            connect(a, &QAction::triggered, this, handler);
        }
    }
    objectMenu(menu)->popup(globalPos);
}

void TMMRxCustomRichEdit::dragEnterEvent(QDragEnterEvent *e)
{
    if (isReadOnly() || !canInsertFromMimeData(e->mimeData())) {
        e->ignore();
        return;
    }
    QTextEdit::dragEnterEvent(e);
}

void TMMRxCustomRichEdit::dragMoveEvent(QDragMoveEvent *e)
{
    if (isReadOnly() || !canInsertFromMimeData(e->mimeData())) {
        e->ignore();
        return;
    }
    QTextEdit::dragMoveEvent(e);
}

void TMMRxCustomRichEdit::dropEvent(QDropEvent *e)
{
    const int pos = positionAt(e->position().toPoint(), false);
    const bool fromHere = e->source() == this || e->source() == viewport();
    const QTextCursor c = textCursor();
    bool refused = EditRefused(pos, pos, {TRichEditChangeKind::Drop, e->mimeData()->text()});
    if (!refused && fromHere && e->dropAction() == Qt::MoveAction && c.hasSelection())
        refused = EditRefused(c.selectionStart(), c.selectionEnd(), {TRichEditChangeKind::Drop, {}});
    if (refused) {
        e->setDropAction(Qt::IgnoreAction);
        e->ignore();
        return;
    }
    m_inDrop = true;
    m_dropLinks = e->dropAction() == Qt::LinkAction;
    // text moved inside the note leaves its height as it was: Qt takes it away before it goes in again
    m_dropMoves = fromHere && e->dropAction() == Qt::MoveAction && c.hasSelection();
    const MeasuredEdit measured(*this);
    QTextEdit::dropEvent(e);
    m_inDrop = false;
    m_dropLinks = false;
    m_dropMoves = false;
}

// ---- properties ----

void TMMRxCustomRichEdit::SetAutoURLDetect(bool value)
{
    if (value == m_autoUrlDetect)
        return;
    m_autoUrlDetect = value;
    updateUrlOverlay();
}

void TMMRxCustomRichEdit::scheduleUrlOverlay()
{
    if (m_overlayPending)
        return;
    m_overlayPending = true;
    QTimer::singleShot(0, this, [this] { updateUrlOverlay(); });
}

void TMMRxCustomRichEdit::updateUrlOverlay()
{
    m_overlayPending = false;
    QList<ExtraSelection> links;
    if (m_autoUrlDetect) {
        // only the visible paragraphs are looked at: the overlay costs nothing for long documents
        const QTextBlock first = cursorForPosition(QPoint(0, 0)).block();
        const QTextBlock last = cursorForPosition(QPoint(viewport()->width(), viewport()->height())).block();
        QTextCharFormat linkFormat;
        linkFormat.setForeground(palette().color(QPalette::Link));
        linkFormat.setFontUnderline(true);
        // while Qt lays a long document out the two may come in the wrong order: nothing is looked at then
        const int lastStart = last.position();
        for (QTextBlock b = first; b.isValid() && b.position() <= lastStart; b = b.next()) {
            const QString text = b.text();
            auto it = urlPattern().globalMatch(text);
            while (it.hasNext()) {
                const auto m = it.next();
                const int s = int(m.capturedStart());
                const int e = trimLinkEnd(text, s, int(m.capturedEnd()));
                ExtraSelection sel;
                sel.cursor = QTextCursor(document());
                sel.cursor.setPosition(b.position() + s);
                sel.cursor.setPosition(b.position() + e, QTextCursor::KeepAnchor);
                sel.format = linkFormat;
                links.append(sel);
            }
            if (b == last)
                break;
        }
    }
    setExtraSelections(links);
}

void TMMRxCustomRichEdit::scrollContentsBy(int dx, int dy)
{
    QTextEdit::scrollContentsBy(dx, dy);
    scheduleUrlOverlay();
}

void TMMRxCustomRichEdit::resizeEvent(QResizeEvent *e)
{
    // before QTextEdit lays the document out at the new width
    if (e->size().width() != e->oldSize().width())
        fitWrapWidth();
    QTextEdit::resizeEvent(e);
    scheduleUrlOverlay();
}

void TMMRxCustomRichEdit::SetHideSelection(bool value)
{
    if (value == m_hideSelection)
        return;
    m_hideSelection = value;
    updateSelectionPalette();
}

void TMMRxCustomRichEdit::updateSelectionPalette()
{
    QPalette p = palette();
    if (m_hideSelection) {
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Inactive, QPalette::Base));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Inactive, QPalette::Text));
    } else {
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    }
    setPalette(p);
}

void TMMRxCustomRichEdit::SetHideScrollBars(bool value)
{
    if (value == m_hideScrollBars)
        return;
    m_hideScrollBars = value;
    updateScrollBars();
}

void TMMRxCustomRichEdit::SetScrollBars(TScrollStyle value)
{
    m_scrollBars = value;
    updateScrollBars();
}

void TMMRxCustomRichEdit::SetWordWrap(bool value)
{
    m_wordWrap = value;
    if (!value)
        setWrapFloor(0);
    else if (lineWrapMode() == QTextEdit::NoWrap)
        fitWrapWidth(); // wrapped no narrower than keeps the document short enough to be shown
}

void TMMRxCustomRichEdit::updateScrollBars()
{
    const Qt::ScrollBarPolicy shown = m_hideScrollBars ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
    const bool vertical = m_scrollBars == ssVertical || m_scrollBars == ssBoth;
    const bool horizontal =
        (m_scrollBars == ssHorizontal || m_scrollBars == ssBoth) && (!m_wordWrap || m_wrapFloor > 0);
    setVerticalScrollBarPolicy(vertical ? shown : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? shown : Qt::ScrollBarAlwaysOff);
}

void TMMRxCustomRichEdit::SetSelectionBar(bool value)
{
    if (value == m_selectionBar)
        return;
    m_selectionBar = value;
    const bool modified = document()->isModified();
    const bool events = m_changeEvents;
    m_changeEvents = false;
    RunWithoutUndo([this] { applySelectionBar(); });
    m_changeEvents = events;
    document()->setModified(modified);
}

void TMMRxCustomRichEdit::applySelectionBar()
{
    QTextFrame *root = document()->rootFrame();
    QTextFrameFormat f = root->frameFormat();
    f.setLeftMargin(document()->documentMargin() + (m_selectionBar ? SelectionBarWidth : 0));
    root->setFrameFormat(f);
}

void TMMRxCustomRichEdit::SetPlainText(bool value)
{
    if (value == m_plainText)
        return;
    if (value) {
        // one format for the whole text: the runs' formats and the objects go
        const QString text = PlainTextOf(document(), 0, TextLength());
        const bool modified = document()->isModified();
        const bool events = m_changeEvents;
        m_changeEvents = false;
        RunWithoutUndo([&] {
            document()->clear();
            applySelectionBar();
            QTextCursor(document()).insertText(text, QTextCharFormat());
        });
        m_changeEvents = events;
        document()->setModified(modified);
        SetSelection(0, 0, true);
    }
    m_plainText = value;
}

void TMMRxCustomRichEdit::SetBiDiMode(TBiDiMode value)
{
    m_biDiMode = value;
    const bool rtl = value != bdLeftToRight;
    setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
    document()->setDefaultTextOption(option);
    m_paragraph->SetAlignment(TParaAlignment(int(m_alignment)));
}

QColor TMMRxCustomRichEdit::Color() const
{
    return palette().color(QPalette::Base);
}

void TMMRxCustomRichEdit::SetColor(const QColor &value)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, value);
    setPalette(p);
    updateSelectionPalette();
}

void TMMRxCustomRichEdit::changeEvent(QEvent *e)
{
    QTextEdit::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        m_defAttributes->AssignFont(font());
}
