#pragma once
// Reads an RTF document into the rich-edit model through a document builder. Each destination has its
// own handling (document text, font table, colour table, list tables, paragraph numbering, pictures,
// objects, fields); control words are dispatched from one table; every destination the model has no
// place for is skipped whole. Bounded: group depth is capped (deeper groups are flattened), memory grows
// only with the input, and the cost is linear in it.
#include "notes/RichTextModel.h"
#include "notes/RtfTokenizer.h"

#include <QByteArray>

namespace rtf {

// Groups deeper than this are read as part of the group around them: their text is kept in that
// group's format and a destination they open is skipped. Each open group costs one state, so memory
// stays proportional to the input.
constexpr int MaxGroupDepth = 16384;

// False when the bytes are no RTF document (they do not begin with "{\rtf"); nothing is built then.
// Anything after that reads as far as it makes sense: a document cut short keeps what it holds.
bool ReadDocument(QByteArrayView bytes, TRichDocumentBuilder &builder);

// The character format text takes before the document says otherwise: the default font (the control's,
// or the font table's \deff) at 12 points, no effects, automatic colours. \plain goes back to it.
TRichCharFormat DocumentStartFormat(const TRichCharFormat &defaults);

// True when the bytes begin (after blanks) as an RTF document does.
bool LooksLikeRtf(QByteArrayView bytes);

} // namespace rtf
