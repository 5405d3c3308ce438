#pragma once
// Writes rich-edit content as RTF: "{\rtf1\ansi\ansicpg1252\deff0\uc1", the font and colour tables,
// the list tables, then the paragraphs with their formats, bullets and numbering (in the list table, in
// the older \pn form beside it, and as the label each paragraph shows), text outside ASCII as \uN with a
// "?" fallback, pictures as PNG or JPEG data (or as they were read), kept objects as they were read.
#include "notes/RichTextModel.h"

#include <QByteArray>

namespace rtf {

struct WriteOptions {
    bool NoObjects = false; // leave pictures and objects out
};

// A picture as a \pict group of PNG or JPEG data (empty when it shows nothing); a file object's
// picture is what it shows.
QByteArray PictureGroup(const TRichObject &object);

QByteArray WriteDocument(const TRichDocumentSource &source, const WriteOptions &options = {});

} // namespace rtf
