#pragma once
// The saved set of page windows: lines "Left,Top,Right,Bottom,WindowState,Sequence=URL" kept in
// section [OpenedBrowsers] of the settings file. The sequence number keeps two windows with the
// same rectangle and state apart (both are saved); readers that stop after the state still read
// these lines, and lines without it (older files) read the same.
#include "platform/Types.h"

#include <QString>
#include <QStringList>

// Name part of a line: the rectangle's four edges and the state, joined by ",".
QString RectToText(const TRect &rect, TWindowState state);
// The first four pieces as the rectangle; 0,0,640,480 when any of them is missing or not a number.
TRect TextToRect(const QString &text);
// The fifth piece's low byte as the state; normal when it is missing or not a number.
TWindowState TextToWindowState(const QString &text);
// The line with sequence as its sixth piece (added when the name has only five), the rest unchanged.
QString WithSequence(const QString &line, int sequence);

class TOpenedBrowsers : public QStringList {
public:
    // Appends a window with rectangle Left, Top, Left + Width, Top + Height; returns its index.
    int AddBrowser(const QString &url, int left, int top, int width, int height, TWindowState state);
    TRect GetRect(int index) const;
    TWindowState GetWindowState(int index) const;
    // The URL of the first line whose name equals line index's name.
    QString GetUrl(int index) const;

    // Replaces the lines by those of [OpenedBrowsers] in the ini file; failures leave what was read.
    void LoadFromFile(const QString &fileName);
    // Rewrites [OpenedBrowsers] of the ini file from the lines in one atomic write; false on failure
    // (callers may ignore it: the file then keeps its previous section).
    bool SaveToFile(const QString &fileName, QString *error = nullptr) const;
};
