#pragma once
// HTML as a web page's copy offers it, read into the notes' rich text: paragraphs with their alignment
// and indent, numbered and bulleted lists with their numbers, headings as large bold text, and runs with
// their weight, slant, underline, strike-out, super- and subscript, size, face and colours (a link keeps
// its look). Each row of a table becomes one paragraph, its cells apart by tabs. Pictures are left out.
// Nothing the HTML names is loaded (no picture, style sheet or other file, local or remote) and nothing
// in it runs. HTML longer than MaxHtmlLength or nested deeper than MaxHtmlDepth is not read: the time
// Qt's reader takes grows with the square of the nesting.
#include <QString>
#include <QTextDocumentFragment>

struct TRichCharFormat;

namespace richedit {

constexpr qsizetype MaxHtmlLength = qsizetype(2) * 1024 * 1024; // characters
constexpr int MaxHtmlDepth = 256;                               // elements inside each other

// The HTML's content in the notes' formats; empty when the HTML is not read or holds no text. Runs
// take what the HTML does not say from defaults.
QTextDocumentFragment FragmentFromHtml(const QString &html, const TRichCharFormat &defaults);

} // namespace richedit
