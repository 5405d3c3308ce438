// links: brivo_notes Qt6::Widgets
// HTML as a page's copy offers it, read into the notes' rich text: a copied article of growing size (the
// cost is to grow linearly), and shapes at the bounds the reader keeps (nesting at the deepest allowed,
// stray end tags, lists and tables nested deep, wide tables, many paragraphs), each as long as allowed.
#include "bench/QtBenchmarkMain.h"
#include "notes/RichTextHtml.h"
#include "notes/RichTextModel.h"

namespace {

// A stretch of a page as the engine writes a copied selection: styled blocks, runs, a list and a link.
QString articleStretch()
{
    const QString style = QStringLiteral(
        "color: rgb(32, 33, 34); font-family: sans-serif; font-size: 14px; font-style: normal; "
        "font-variant-ligatures: normal; font-variant-caps: normal; font-weight: 400; letter-spacing: normal; "
        "orphans: 2; text-align: start; text-indent: 0px; text-transform: none; white-space: normal; widows: 2; "
        "word-spacing: 0px; -webkit-text-stroke-width: 0px; text-decoration-thickness: initial;");
    return QStringLiteral("<h2 style=\"%1\">A section</h2><p style=\"%1\">Some text with <b>bold</b>, <i>italic</i> "
                          "and <a href=\"https://example.org/page\" title=\"Page\">a link</a>, then more text to fill "
                          "a line or two of the paragraph.<sup><a href=\"#cite\">[1]</a></sup></p><ul style=\"%1\">"
                          "<li>first point</li><li>second <span style=\"font-size: 12px\">point</span></li></ul>")
        .arg(style);
}

QString repeatedTo(const QString &unit, qsizetype length)
{
    return unit.repeated(std::max<qsizetype>(1, length / unit.size()));
}

void readArticle(benchmark::State &state)
{
    const QString html = repeatedTo(articleStretch(), state.range(0) << 10);
    for (auto _ : state)
        benchmark::DoNotOptimize(richedit::FragmentFromHtml(html, richedit::StandardCharFormat()));
    state.SetBytesProcessed(state.iterations() * html.size() * 2);
}

// Worst shapes, each filling the length allowed.
void readShape(benchmark::State &state)
{
    const int depth = richedit::MaxHtmlDepth - 1;
    const qsizetype length = richedit::MaxHtmlLength - 16;
    QString html;
    switch (state.range(0)) {
    case 0: // spans nested as deep as allowed, again and again
        html = repeatedTo(QStringLiteral("<span style=\"color: red\">").repeated(depth) + "x" +
                              QStringLiteral("</span>").repeated(depth),
                          length);
        break;
    case 1: // end tags of elements never opened, under the deepest nesting
        html = QStringLiteral("<b>").repeated(depth) + repeatedTo(QStringLiteral("</i>"), length - 4 * depth);
        break;
    case 2: // lists nested as deep as allowed
        html = repeatedTo(
            QStringLiteral("<ol><li>x").repeated(depth / 2) + QStringLiteral("</li></ol>").repeated(depth / 2), length);
        break;
    case 3: // tables nested as deep as allowed
        html = repeatedTo(QStringLiteral("<table><tr><td>x").repeated(depth / 3) +
                              QStringLiteral("</td></tr></table>").repeated(depth / 3),
                          length);
        break;
    case 4: // one wide table row
        html = "<table><tr>" + repeatedTo(QStringLiteral("<td>x</td>"), length - 32) + "</tr></table>";
        break;
    case 5: // many rows
        html = "<table>" + repeatedTo(QStringLiteral("<tr><td>x</td><td>y</td></tr>"), length - 32) + "</table>";
        break;
    case 6: // many paragraphs
        html = repeatedTo(QStringLiteral("<p>x</p>"), length);
        break;
    case 7: // one long numbered list (a long bulleted one costs what the notes' bullets cost, bench_richedit)
        html = "<ol>" + repeatedTo(QStringLiteral("<li>x</li>"), length - 16) + "</ol>";
        break;
    case 8: // many pictures
        html = repeatedTo(QStringLiteral("<img src=\"u\">"), length);
        break;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(richedit::FragmentFromHtml(html, richedit::StandardCharFormat()));
    state.SetBytesProcessed(state.iterations() * html.size() * 2);
}

} // namespace

BENCHMARK(readArticle)->Arg(256)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
BENCHMARK(readShape)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->Iterations(1);

BRIVO_QT_BENCHMARK_MAIN()
