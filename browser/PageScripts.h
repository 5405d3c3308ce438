#pragma once
// The scripts the browser control puts in every document of its page, and the console lines by which
// they report to it. Each report line begins with a token made when the program starts; the user's
// reports come from the program's own script world, which the page's scripts never reach, so a page
// cannot make one of its own.
#include <QList>
#include <QString>
#include <QUrl>
#include <QWebEngineScript>

namespace pagescripts {

enum class Report {
    None,          // a line of the page's own
    FrameComplete, // a frame's document is complete: its address
    UserActivated, // the user clicked a link (of a picture's map or of SVG too) or a form's submit button, or
                   // pressed Enter in a form: its address
    UserPosted,    // the same for a form that sends its fields in the request's body
};

// A script of every document and frame of a page, put in before any of the page's own runs.
QWebEngineScript documentScript(const QString &name, quint32 world, const QString &source);
// The scripts that are the same for every page (the user reporter, the peer-connection guard): the
// profile's, so that the program keeps one copy of them and not one for each page.
QList<QWebEngineScript> everyPagesScripts();

// What a console line reports, and the address it carries.
Report parse(const QString &line, QUrl *address);

// The page's world, every frame: tells of each frame's completed document (not the top document's,
// whose load the engine tells).
QString frameReporterSource();

// The program's own script world, every frame whose address is not of the network (http, https): tells
// of the link or form the user activated, from the engine's trusted input events only (a page's script
// that clicks for the user makes none).
QString userReporterSource();
// Whether a document at this address has the user reporter.
bool reportsTheUser(const QUrl &document);

// The page's world, every frame whose address is not of the network (http, https; its block of
// metadata tells the engine so): a document of a page opened from a file (or of a frame or window such a
// page made) has no peer connections, nor has any window of its origin that it makes (empty frames,
// written frames, empty windows, also when a script comes in with the frame), since those reach other
// computers past every request check. A javascript: address sent to such a window still runs its
// script but makes no document (one would come with peer connections before this script reached it).
// XML documents run their own scripts before this one: they are kept from local pages elsewhere.
QString noPeerConnectionsSource();

} // namespace pagescripts
