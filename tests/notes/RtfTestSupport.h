#pragma once
// Reading and writing RTF without a control: a document built from bytes, its text, and its content
// as a list of paragraphs and runs that two documents can be compared by.
#include "notes/RichTextModel.h"

#include <QByteArray>
#include <QTextDocument>
#include <memory>
#include <vector>

namespace rtftest {

struct Run {
    QString Text; // U+FFFC for an object
    TRichCharFormat Format;
    TRichObject Object;
    bool operator==(const Run &) const = default;
};

struct Paragraph {
    TRichParaFormat Format;
    std::vector<Run> Runs;
    bool operator==(const Paragraph &) const = default;
};

using Model = std::vector<Paragraph>;

// Reads bytes into a new document; ok: what the reader answered.
std::unique_ptr<QTextDocument> Read(const QByteArray &rtf, bool *ok = nullptr);
QString TextOf(QTextDocument *doc);
// Lists are numbered 1, 2... in the order they first appear, whatever their identities in the document.
Model ModelOf(QTextDocument *doc);
QByteArray Write(QTextDocument *doc, bool noObjects = false);
// What is shown before each paragraph: its label ("3.", "1.2.", a bullet's text), "*" for a round bullet,
// "" for none.
QStringList LabelsOf(QTextDocument *doc);
// A readable dump of a model for failure messages.
std::string Describe(const Model &model);

} // namespace rtftest
