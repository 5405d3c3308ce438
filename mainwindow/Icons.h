#pragma once
// The program's own images: drawn as small vector files under ":/icons" and rendered to pixmaps of the
// exact size asked for, so they stay crisp at 16 and 20 pixels. Every icon is made once and kept.
#include <QIcon>

namespace icons {

// A tool-bar image by its index 0..16, 16 or 20 pixels square. The normal pixmap is muted (less
// colour, a little lighter); the active one (under the mouse) is in full colour; Qt derives the
// disabled one. A null icon for an unknown index or size.
QIcon toolbarIcon(int index, int size);

// A menu image by its index, 16 pixels, full colour; a null icon for an index without an image.
QIcon menuIcon(int index);

// The image every page tab shows.
QIcon pageTabIcon();

// The program's mark (a blue globe), shown beside the title in the status bar.
QIcon programIcon();

} // namespace icons
