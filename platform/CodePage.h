#pragma once
// Legacy code pages by their Windows numbers, through Qt's ICU-backed converters.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace codepage {

// The converter name for a Windows code page (932 -> "windows-31j"...), or empty when unknown.
QByteArray converterName(int codePage);
// True when text in this code page can be decoded and encoded here.
bool isSupported(int codePage);
// The code page of a font character set (0 -> 1252, 128 -> 932, 134 -> 936, 136 -> 950...), or 0.
int fromCharset(int charset);

// Mends text that the converter of converterName(codePage) decoded from these bytes where that
// converter only stands in for the code page (Mac Icelandic through Mac Roman).
void patchDecoded(int codePage, QByteArrayView bytes, QString &text);

// Decodes bytes; ok is false when the bytes are not valid in the code page (the text then holds
// replacement characters) or the code page is unknown.
QString decode(const QByteArray &bytes, int codePage, bool *ok = nullptr);
// Encodes text; ok is false when a character cannot be held by the code page or it is unknown.
QByteArray encode(const QString &text, int codePage, bool *ok = nullptr);

// Length of the text in bytes of an East Asian double-byte code page: a wide character
// (East Asian Wide or Fullwidth) counts two, any other one.
int ansiLength(const QString &text);
// The longest head of the text whose ansiLength is at most maxBytes, never splitting a character.
QString ansiLeft(const QString &text, int maxBytes);

} // namespace codepage
