// links: brivo_notes Qt6::Widgets
// fixtures: rtf
// RTF documents of any bytes: reading never crashes or runs away, and what was read comes back the
// same after a write and a second read: read(write(read(x))) == read(x), the numbers of its lists
// included.
#include "notes/RtfReader.h"
#include "notes/RtfWriter.h"

#include <QGuiApplication>
#include <QHash>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QGuiApplication &application()
{
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char *argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(argc, argv);
    return app;
}

// Everything the model holds, as one text to compare.
class Dump : public TRichDocumentVisitor {
public:
    QString Out;
    void BeginParagraph(const TRichParaFormat &p) override
    {
        // a list by the order it first appears in, and the number the paragraph shows
        const int list = p.List == 0 ? 0 : *m_lists.insert(p.List, m_lists.value(p.List, int(m_lists.size()) + 1));
        const int number = m_counter.Next(p);
        QString outer;
        for (const TLevelNumbering &l : p.OuterLevels)
            outer += QStringLiteral(" %1/%2").arg(l.Numbering).arg(l.Start);
        Out += QStringLiteral("[L %1 %2 %3 %4 %5 %6 %7%8]")
                   .arg(list)
                   .arg(p.ListLevel)
                   .arg(p.NumberingStart)
                   .arg(p.NumberPrefix, p.NumberSuffix)
                   .arg(m_counter.Label(p, number), p.LabelText, outer);
        Out += QStringLiteral("[P %1 %2 %3 %4 %5 %6 %7 %8 %9")
                   .arg(p.Alignment)
                   .arg(p.StartIndent)
                   .arg(p.Offset)
                   .arg(p.RightIndent)
                   .arg(p.Numbering)
                   .arg(p.SpaceBefore)
                   .arg(p.SpaceAfter)
                   .arg(p.LineSpacing)
                   .arg(p.LineSpacingRule);
        for (int t : p.Tabs)
            Out += QStringLiteral(" t%1").arg(t);
        Out += u']';
    }
    void Text(QStringView text, const TRichCharFormat &f) override
    {
        format(f);
        Out += text;
    }
    void Object(const TRichObject &o, const TRichCharFormat &f) override
    {
        format(f);
        Out += QStringLiteral("<O %1 %2 %3 %4 %5 %6 %7 %8x%9>")
                   .arg(int(o.ObjectKind))
                   .arg(o.DataFormat)
                   .arg(qHash(o.Data))
                   .arg(o.Width)
                   .arg(o.Height)
                   .arg(o.ScaleX)
                   .arg(o.ScaleY)
                   .arg(o.Image.width())
                   .arg(o.Image.height());
    }
    void EndParagraph(bool last) override { Out += last ? u'$' : u'\n'; }

private:
    void format(const TRichCharFormat &f)
    {
        const QString s = QStringLiteral("{%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11}")
                              .arg(f.FaceName)
                              .arg(f.Height)
                              .arg(f.Effects)
                              .arg(f.TextColor)
                              .arg(f.BackColor)
                              .arg(f.Charset)
                              .arg(f.PitchAndFamily)
                              .arg(f.UnderlineType)
                              .arg(f.Weight)
                              .arg(f.Offset)
                              .arg(f.Mask);
        if (s != m_last)
            Out += s;
        m_last = s;
    }
    QString m_last;
    QHash<int, int> m_lists;
    richedit::TParagraphCounter m_counter;
};

bool read(const QByteArray &bytes, QTextDocument &doc)
{
    TRichDocumentBuilder builder(QTextCursor(&doc), richedit::StandardCharFormat());
    if (!rtf::ReadDocument(bytes, builder))
        return false;
    builder.Finish();
    return true;
}

QString dump(QTextDocument &doc)
{
    Dump d;
    TRichDocumentSource(&doc, 0, -1, richedit::StandardCharFormat()).Visit(d);
    return d.Out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    application();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument first;
    if (!read(bytes, first))
        return 0;
    const QByteArray written = rtf::WriteDocument(TRichDocumentSource(&first, 0, -1, richedit::StandardCharFormat()));
    QTextDocument second;
    if (!read(written, second))
        std::abort(); // the writer's output is always RTF
    const QString once = dump(first), twice = dump(second);
    if (once != twice) {
        std::fprintf(stderr, "read:\n%s\nread again:\n%s\n", qPrintable(once), qPrintable(twice));
        for (qsizetype i = 0; i < std::min(once.size(), twice.size()); ++i)
            if (once[i] != twice[i]) {
                std::fprintf(stderr, "at %d: %x %x\n", int(i), once[i].unicode(), twice[i].unicode());
                break;
            }
        std::abort();
    }
    (void)rtf::WriteDocument(TRichDocumentSource(&second, 0, -1, richedit::StandardCharFormat()), {true});
    return 0;
}
