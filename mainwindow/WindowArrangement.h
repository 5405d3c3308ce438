#pragma once
// Where the page windows go when they are tiled, cascaded or their icons arranged: pure geometry,
// apart from any widget. Windows are given front first; the first gets the first place.
#include <QList>
#include <QRect>

namespace arrangement {

// Side by side: one column each up to three windows, then a grid whose columns hold the windows
// from top to bottom; every place of the area is used.
QList<QRect> tileVertical(int count, const QRect &area);
// One above another: one row each up to three windows, then a grid whose rows hold the windows
// from left to right.
QList<QRect> tileHorizontal(int count, const QRect &area);
// Each window below and right of the one before by step; all of one size, the last one touching
// the area's bottom right corner unless that would make them smaller than half the area, in which
// case they start again at the top left.
QList<QRect> cascade(int count, const QRect &area, int step);
// Minimised windows in rows along the bottom edge, left to right, then upwards.
QList<QRect> arrangeIcons(int count, const QRect &area, const QSize &icon);
// Where the index-th new window of the given size opens: its size cut to the area, each window step
// below and right of the one before from the area's top left, starting there again when the next one
// would leave the area.
QRect newWindowPlace(int index, const QSize &size, const QRect &area, int step);

} // namespace arrangement
