#pragma once
// The pictures of the notes frame's tool bars, menus and commands, by index.
#include <QIcon>

namespace toolbarimages {

enum Index {
    Undo = 0,
    Redo = 1,
    Cut = 2,
    Copy = 3,
    Paste = 4,
    Delete = 5,
    Bullets = 13,
    Font = 17,
    FileNew = 18,
    FileOpen = 19,
    FileSave = 20,
    FileSaveAs = 21,
    FileSaveAll = 22,
    FilePrint = 23,
    FileClose = 24,
    PasteUrl = 25,
    PrintPreview = 26,
    Bold = 28,
    Italic = 29,
    Underline = 30,
    StrikeOut = 31,
    AlignLeft = 32,
    AlignRight = 33,
    AlignCenter = 34,
    FontEx = 35,
    Find = 36,
    FindNext = 37,
    Replace = 38,
    Count = 39
};

// The picture at the index; an empty icon for an index that has none.
QIcon image(int index);

} // namespace toolbarimages
