#pragma once
// What a drag carries, read from its data by content: a link with its title (text/x-moz-url,
// _NETSCAPE_URL, or the link's text in text/html), or a list of URIs (text/uri-list) whose local
// files become file names. Every read
// stays inside the payload: the text ends at the end of the data or at its first NUL, whatever the
// sender claims, and UTF-16 or UTF-8 is told from the bytes themselves.
#include <QByteArray>
#include <QString>
#include <QStringList>

class QMimeData;
class QWidget;

struct TDragPayload {
    QString Url;       // the link, or the first non-file URI of a URI list
    QString Title;     // the link's title; the Url when the sender gave none
    QStringList Files; // local file names of a URI list, in list order
    // True when the drag can be accepted: a link or at least one file.
    bool Accepted = false;
    // True when the link is a script address (see isRefusedAddress): such a drag is not accepted.
    bool Refused = false;
};

namespace dragpayload {

inline constexpr char MozUrlFormat[] = "text/x-moz-url";
inline constexpr char NetscapeUrlFormat[] = "_NETSCAPE_URL";
inline constexpr char UriListFormat[] = "text/uri-list";
inline constexpr char HtmlFormat[] = "text/html";
// How much of an HTML payload is searched for the link's text, in characters.
inline constexpr qsizetype MaxHtmlScan = 256 * 1024;
// The longest title taken from an HTML payload, in characters.
inline constexpr qsizetype MaxHtmlTitle = 2048;

// Text of the bytes: a UTF-16 (either byte order, with or without a byte-order mark) or UTF-8
// payload, cut at its first NUL character.
QString decodeText(const QByteArray &bytes);
// "url LF title" (the line break may be CR LF); blanks around each line are dropped. False when the
// URL is empty.
bool parseUrlAndTitle(const QByteArray &bytes, QString &url, QString &title);
// Lines of a URI list ("#" lines are comments): local file URIs (no host, or "localhost") go to
// files as paths, every other URI to others, each in list order.
void parseUriList(const QByteArray &bytes, QStringList &files, QStringList &others);

// The text of the link to url in an HTML fragment (of the first link when none goes to url): tags
// dropped, character references decoded, runs of blanks as one space. Empty without a link with text.
QString linkTextOfHtml(const QByteArray &bytes, const QString &url);

// Addresses that arrive by drop come from other programs or pages and never run script: true for an
// address whose scheme, read as the engine reads it (leading blanks and control characters skipped,
// tabs and line breaks ignored), is "javascript", "vbscript" or "data".
bool isRefusedAddress(const QString &address);
// True when any address the drag carries (a URI list, a link with its title, or its text) is refused.
bool carriesRefusedAddress(const QMimeData &data);
// The status-bar text of a refused drop, and the status tip that takes it to the window holding widget.
extern const char RefusedText[];
void reportRefused(QWidget *widget);

// The payload of a drag, the formats asked in this order: text/x-moz-url, _NETSCAPE_URL, then
// text/uri-list. The first link format that yields a URL wins; a URI list gives its files or,
// without any, its first URI. A link without a title of its own takes the text of its link in
// text/html when the drag has one, else its URL. A refused link is not accepted.
TDragPayload read(const QMimeData &data);

} // namespace dragpayload
