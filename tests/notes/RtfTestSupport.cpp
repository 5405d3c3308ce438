#include "RtfTestSupport.h"

#include "notes/ParagraphNumbers.h"
#include "notes/RtfReader.h"
#include "notes/RtfWriter.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <sstream>

using namespace richedit;

namespace rtftest {

std::unique_ptr<QTextDocument> Read(const QByteArray &rtf, bool *ok)
{
    auto doc = std::make_unique<QTextDocument>();
    TRichDocumentBuilder builder(QTextCursor(doc.get()), StandardCharFormat());
    const bool read = rtf::ReadDocument(rtf, builder);
    if (read)
        builder.Finish();
    if (ok)
        *ok = read;
    return doc;
}

QString TextOf(QTextDocument *doc)
{
    return PlainTextOf(doc, 0, doc->characterCount() - 1);
}

Model ModelOf(QTextDocument *doc)
{
    struct Collect : TRichDocumentVisitor {
        Model m;
        void BeginParagraph(const TRichParaFormat &f) override { m.push_back({f, {}}); }
        void Text(QStringView t, const TRichCharFormat &f) override
        {
            auto &runs = m.back().Runs;
            // runs split by Qt's fragments but equal in format are one run
            if (!runs.empty() && runs.back().Object.Data.isEmpty() && runs.back().Format == f &&
                !runs.back().Text.endsWith(QChar(ObjectChar)))
                runs.back().Text += t;
            else
                runs.push_back({t.toString(), f, {}});
        }
        void Object(const TRichObject &o, const TRichCharFormat &f) override
        {
            m.back().Runs.push_back({QString(QChar(ObjectChar)), f, o});
        }
        void EndParagraph(bool) override {}
    } c;
    TRichDocumentSource(doc, 0, -1, StandardCharFormat()).Visit(c);
    // a list's identity is all its number says: the lists numbered in the order they first appear
    QHash<int, int> lists;
    for (Paragraph &p : c.m) {
        if (p.Format.List == 0)
            continue;
        if (!lists.contains(p.Format.List))
            lists.insert(p.Format.List, int(lists.size()) + 1);
        p.Format.List = lists.value(p.Format.List);
    }
    return c.m;
}

QByteArray Write(QTextDocument *doc, bool noObjects)
{
    rtf::WriteOptions options;
    options.NoObjects = noObjects;
    return rtf::WriteDocument(TRichDocumentSource(doc, 0, -1, StandardCharFormat()), options);
}

QStringList LabelsOf(QTextDocument *doc)
{
    QStringList labels;
    TParagraphNumbers numbers(doc);
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const int numbering = NumberingOf(b.blockFormat());
        const QString label = numbers.LabelOf(b);
        labels.append(numbering != 0 && !IsCounted(numbering) && label.isEmpty() ? QStringLiteral("*") : label);
    }
    return labels;
}

std::string Describe(const Model &model)
{
    std::ostringstream s;
    for (const Paragraph &p : model) {
        s << "[para align=" << p.Format.Alignment << " start=" << p.Format.StartIndent << " off=" << p.Format.Offset
          << " right=" << p.Format.RightIndent << " num=" << p.Format.Numbering << " tabs=" << p.Format.Tabs.size()
          << " sb=" << p.Format.SpaceBefore << " sa=" << p.Format.SpaceAfter << " ls=" << p.Format.LineSpacing << "/"
          << p.Format.LineSpacingRule << " list=" << p.Format.List << "/" << p.Format.ListLevel
          << " start=" << p.Format.NumberingStart << " text=" << p.Format.NumberPrefix.toStdString() << "#"
          << p.Format.NumberSuffix.toStdString() << " label=" << p.Format.LabelText.size()
          << " outer=" << p.Format.OuterLevels.size() << "]\n";
        for (const Run &r : p.Runs) {
            const TRichCharFormat &f = r.Format;
            s << "  \"" << r.Text.toStdString() << "\" face=" << f.FaceName.toStdString() << " h=" << f.Height
              << " fx=" << std::hex << f.Effects << std::dec << " cs=" << int(f.Charset)
              << " pf=" << int(f.PitchAndFamily) << " ul=" << int(f.UnderlineType) << " col=" << std::hex << f.TextColor
              << " back=" << f.BackColor << std::dec << " w=" << f.Weight << " off=" << f.Offset
              << " obj=" << r.Object.Data.size() << "/" << r.Object.DataFormat.toStdString() << "\n";
        }
    }
    return s.str();
}

} // namespace rtftest
