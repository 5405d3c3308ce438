#include "notes/RtfReader.h"

#include "notes/RtfReaderCore.h"

#include <algorithm>
#include <utility>

using namespace richedit;

namespace rtf {

namespace reader {

QByteArray keptGroup(QByteArrayView all, qsizetype from, qsizetype end, int uc)
{
    end = std::min(end, all.size());
    if (from < 0 || from >= end)
        return {};
    QByteArray group = "{" + all.sliced(from, end - from).toByteArray();
    if (uc != 1) {
        Tokenizer word(all.sliced(from, end - from));
        (void)word.Next();
        group.insert(1 + word.Position(), "\\uc" + QByteArray::number(uc) + ' ');
    }
    auto depthAfter = [](const QByteArray &bytes, qsizetype *closedAt) {
        Tokenizer t(bytes);
        int depth = 0;
        for (;;) {
            const Token k = t.Next();
            if (k.Type == TokenType::End)
                return depth;
            if (k.Type == TokenType::GroupStart)
                ++depth;
            else if (k.Type == TokenType::GroupEnd && --depth == 0) {
                *closedAt = t.Position();
                return 0;
            }
        }
    };
    qsizetype closedAt = -1;
    const int open = depthAfter(group, &closedAt);
    if (open == 0)
        return closedAt == group.size() ? group : QByteArray();
    group.append(QByteArray(open, '}'));
    closedAt = -1;
    return depthAfter(group, &closedAt) == 0 && closedAt == group.size() ? group : QByteArray();
}

Reader::Reader(QByteArrayView input, TRichDocumentBuilder &builder)
    : m_tok(input)
    , m_builder(builder)
{
    m_states.reserve(64);
    m_base = DocumentStartFormat(builder.Defaults());
}

bool Reader::Run()
{
    // the document's own group
    Token t = m_tok.Next();
    if (t.Type != TokenType::GroupStart)
        return false;
    State root;
    m_states.push_back(root);
    for (unsigned tokens = 1; !m_done; ++tokens) {
        // now and then the builder hears how far the read is, and may stop it
        if (tokens % 4096 == 0 && !m_builder.Progress(m_tok.Position(), m_tok.Input().size()))
            return false;
        t = m_tok.Next();
        if (t.Type == TokenType::End)
            break;
        if (m_skip > 0) {
            // the fallback characters of \uN: a text byte, a \'hh or a control word or symbol each
            if (t.Type == TokenType::Text) {
                const qsizetype n = std::min<qsizetype>(m_skip, t.Data.size());
                m_skip -= int(n);
                if (n < t.Data.size())
                    textBytes(t.Data.sliced(n));
                continue;
            }
            if (t.Type != TokenType::GroupStart && t.Type != TokenType::GroupEnd) {
                --m_skip;
                continue;
            }
        }
        switch (t.Type) {
        case TokenType::GroupStart:
            m_skip = 0;
            groupStart(t);
            break;
        case TokenType::GroupEnd:
            m_skip = 0;
            groupEnd();
            break;
        case TokenType::ControlWord:
            controlWord(t);
            break;
        case TokenType::ControlSymbol:
            controlSymbol(t);
            break;
        case TokenType::Text:
            m_star = false;
            textBytes(t.Data);
            break;
        case TokenType::HexByte:
            m_star = false;
            if (st().Destination == Dest::Picture) {
                // a hex escape inside picture data stands for its value's two digits
                flushBytes();
                m_pict.append(char(t.Byte));
            } else {
                addByte(char(t.Byte));
            }
            break;
        case TokenType::Binary:
            m_star = false;
            flushBytes();
            if (st().Destination == Dest::Picture) {
                m_pict.append(t.Data.data(), t.Data.size());
                m_nibble = -1;
            }
            break;
        case TokenType::End:
            break;
        }
    }
    // a document cut short: close what is open
    while (!m_states.empty() && !m_done)
        groupEnd();
    return true;
}

// The document's group closes: the last paragraph takes its format.
void Reader::finishDocument()
{
    flushBytes();
    if (m_hasListPrefix || !m_highSurrogate.isNull())
        beginContent();
    if (m_pendingPar) {
        // the final paragraph mark: the paragraph it ends is the document's last
        m_builder.SetParaFormat(m_pendingParaFormat);
    } else {
        m_builder.SetParaFormat(paraFormat(m_contentSinceBreak ? m_lastPara : st().Para));
    }
}

void Reader::groupStart(const Token &)
{
    flushBytes();
    m_star = false;
    if (int(m_states.size()) >= MaxGroupDepth) {
        ++m_flatDepth; // its text is kept, in the format of the group around it
        return;
    }
    State s = m_states.back();
    s.Owner = false;
    m_states.push_back(std::move(s));
}

void Reader::groupEnd()
{
    flushBytes();
    m_star = false;
    if (m_flatDepth > 0) {
        --m_flatDepth;
        return;
    }
    if (m_states.empty())
        return;
    if (m_states.size() == 1)
        finishDocument();
    State closed = std::move(m_states.back());
    m_states.pop_back();
    if (closed.Owner)
        endDestination(closed);
    else if (closed.Destination == Dest::FontTable)
        finishFont(); // an entry in braces
    leaveObjectGroup();
    if (m_states.empty())
        m_done = true; // the document's group is closed: what follows is no part of it
}

void Reader::endDestination(const State &closed)
{
    switch (closed.Destination) {
    case Dest::FontTable:
        finishFont();
        break;
    case Dest::ColorTable:
        if (m_colorTouched)
            finishColor();
        break;
    case Dest::ListLevel: {
        ListLevel level{numberingOfLevelFormat(m_listLevelFormat), m_listLevelStart, {}, QStringLiteral("."), {}};
        // the level names its font after its text
        if (m_hasLevelText && level.Numbering != PfnNone &&
            !levelTextParts(levelTextShown(closed.Char.Font), int(m_listLevels.size()), level))
            level.Numbering = PfnNone; // a level that shows no number
        if (m_listLevels.size() < MAX_LIST_LEVELS)
            m_listLevels.append(level);
        m_listLevelStart = 1;
        break;
    }
    case Dest::List:
        m_lists.insert(m_listId, m_listLevels);
        break;
    case Dest::Override:
        if (m_overrideLs >= 0)
            m_overrides.insert(m_overrideLs, m_override);
        break;
    case Dest::Numbering:
        if (!m_states.empty()) {
            ParaState &p = m_states.back().Para;
            p.Pn = true;
            p.PnNumbering = m_pn.Numbering;
            p.PnStart = m_pn.Start;
            p.PnLevel = m_pnLevel;
            p.PnPrefix = m_pnHasText ? cleanText(m_pn.Prefix).remove(u'\t').left(MAX_NUMBER_TEXT) : QString();
            p.PnSuffix = m_pnHasText ? cleanText(m_pn.Suffix).remove(u'\t').left(MAX_NUMBER_TEXT) : QStringLiteral(".");
        }
        break;
    case Dest::Picture: {
        const Dest outer = m_states.empty() ? Dest::Ignore : m_states.back().Destination;
        // an object's picture is all that is kept of it: decoded now
        const TRichObject o = pictureObject(m_tok.Position(), outer == Dest::ObjectResult);
        if (o.Data.isEmpty()) {
            m_pict.clear(); // nothing to show and nothing to keep
            break;
        }
        if (outer == Dest::ObjectResult) {
            if (!m_objectHasImage) {
                m_objectImage = o;
                m_objectHasImage = true;
            }
        } else if (outer == Dest::Body) {
            emitObject(o);
        }
        m_pict.clear();
        break;
    }
    case Dest::Object: {
        TRichObject o;
        if (m_objectHasImage)
            o = m_objectImage;
        o.ObjectKind = TRichObject::Object;
        o.Data = keptGroup(m_tok.Input(), m_objectStart, m_tok.Position(), m_objectUc);
        o.DataFormat = QStringLiteral("rtf-object");
        if (m_objW > 0 && m_objH > 0) {
            o.Width = m_objW;
            o.Height = m_objH;
            o.ScaleX = m_objScaleX;
            o.ScaleY = m_objScaleY;
        }
        m_inObject = false;
        if (o.Data.isEmpty()) {
            // a group that cannot be kept: its picture alone, when it has one
            if (!m_objectHasImage)
                break;
            o = m_objectImage;
        }
        if (!m_states.empty() && m_states.back().Destination == Dest::Body)
            emitObject(o);
        break;
    }
    default:
        break;
    }
}

void Reader::destination(const Token &, int dest)
{
    State &s = st();
    const Dest d = Dest(dest);
    // the tables and lists are read only where they belong; document text only from text
    const bool fromBody = s.Destination == Dest::Body;
    if (d == Dest::Body) {
        if (!fromBody && s.Destination != Dest::ObjectResult)
            skipDestination(Token(), 0);
        return; // \field, \fldrslt and \shppict: their text is the document's
    }
    if ((d == Dest::FontTable || d == Dest::ColorTable || d == Dest::ListTable || d == Dest::OverrideTable) &&
        !fromBody) {
        skipDestination(Token(), 0);
        return;
    }
    if (d == Dest::ListLevel) {
        if (s.Destination != Dest::List) {
            skipDestination(Token(), 0);
            return;
        }
        m_listLevelFormat = 0;
        m_levelText.clear();
        m_levelTextSize = 0;
        m_hasLevelText = false;
    }
    if (d == Dest::FontTable) {
        m_fontOpen = false;
        m_fontName.clear();
    }
    if (d == Dest::ColorTable) {
        m_colors.clear();
        m_color = ColorEntry{};
        m_colorTouched = false;
    }
    s.Destination = d;
    s.Owner = true;
}

void Reader::skipDestination(const Token &, int)
{
    if (m_flatDepth > 0) {
        m_tok.SkipGroup(); // a group past the depth limit has no state of its own
        --m_flatDepth;
        return;
    }
    if (m_states.size() <= 1) {
        return; // never the document's own group
    }
    m_tok.SkipGroup();
    m_states.pop_back();
    leaveObjectGroup();
}

void Reader::upr(const Token &, int)
{
    State &s = st();
    s.UprOuter = s.Destination;
    s.Destination = Dest::UprAnsi;
    s.Owner = true;
}

void Reader::ud(const Token &, int)
{
    State &s = st();
    if (s.Destination != Dest::UprAnsi) {
        skipDestination(Token(), 0);
        return;
    }
    s.Destination = s.UprOuter;
}

} // namespace reader

using reader::Reader;

TRichCharFormat DocumentStartFormat(const TRichCharFormat &defaults)
{
    TRichCharFormat f = defaults;
    f.Mask = CFM_ALL;
    f.Effects = CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR;
    f.Height = 240;
    f.Weight = 400;
    f.UnderlineType = 0;
    f.Offset = 0;
    return f;
}

bool LooksLikeRtf(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.sliced(i).startsWith("{\\rtf");
}

bool ReadDocument(QByteArrayView bytes, TRichDocumentBuilder &builder)
{
    if (!LooksLikeRtf(bytes))
        return false;
    qsizetype i = 0;
    while (bytes[i] != '{')
        ++i;
    Reader reader(bytes.sliced(i), builder);
    return reader.Run();
}

} // namespace rtf
