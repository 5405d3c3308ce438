#include "mainwindow/WindowArrangement.h"

#include <cmath>

namespace arrangement {

namespace {

// Splits count windows into groups, smaller groups first, so that later groups take the extra one.
QList<int> groups(int count, int groupCount)
{
    QList<int> sizes;
    for (int g = 0; g < groupCount; ++g)
        sizes.append(count / groupCount + (g >= groupCount - count % groupCount ? 1 : 0));
    return sizes;
}

// The i-th of n equal parts of the length, the last taking what the division leaves.
void part(int start, int length, int i, int n, int &from, int &size)
{
    from = start + length * i / n;
    size = start + length * (i + 1) / n - from;
}

QList<QRect> grid(int count, const QRect &area, bool columnsFirst)
{
    QList<QRect> out;
    if (count <= 0 || area.isEmpty())
        return out;
    const int lines = count <= 3 ? count : int(std::sqrt(double(count)));
    const QList<int> perLine = count <= 3 ? QList<int>(count, 1) : groups(count, lines);
    for (int l = 0; l < lines; ++l) {
        for (int k = 0; k < perLine.at(l); ++k) {
            int x = 0, w = 0, y = 0, h = 0;
            if (columnsFirst) {
                part(area.left(), area.width(), l, lines, x, w);
                part(area.top(), area.height(), k, perLine.at(l), y, h);
            } else {
                part(area.top(), area.height(), l, lines, y, h);
                part(area.left(), area.width(), k, perLine.at(l), x, w);
            }
            out.append(QRect(x, y, w, h));
        }
    }
    return out;
}

} // namespace

QList<QRect> tileVertical(int count, const QRect &area)
{
    return grid(count, area, true);
}

QList<QRect> tileHorizontal(int count, const QRect &area)
{
    return grid(count, area, false);
}

QList<QRect> cascade(int count, const QRect &area, int step)
{
    QList<QRect> out;
    if (count <= 0 || area.isEmpty())
        return out;
    step = std::max(1, step);
    // how many windows fit on one diagonal while staying at least half the area
    const int fit = std::max(1, std::min(area.width() / 2, area.height() / 2) / step + 1);
    const int perRun = std::min(count, fit);
    const QSize size(area.width() - step * (perRun - 1), area.height() - step * (perRun - 1));
    for (int i = 0; i < count; ++i) {
        const int k = i % perRun;
        out.append(QRect(area.topLeft() + QPoint(k * step, k * step), size));
    }
    return out;
}

QList<QRect> arrangeIcons(int count, const QRect &area, const QSize &icon)
{
    QList<QRect> out;
    if (count <= 0 || icon.isEmpty())
        return out;
    const int perRow = std::max(1, area.width() / icon.width());
    for (int i = 0; i < count; ++i) {
        const int row = i / perRow;
        const int col = i % perRow;
        out.append(QRect(area.left() + col * icon.width(), area.bottom() + 1 - (row + 1) * icon.height(), icon.width(),
                         icon.height()));
    }
    return out;
}

QRect newWindowPlace(int index, const QSize &size, const QRect &area, int step)
{
    const QSize cut = size.boundedTo(area.size()).expandedTo(QSize(0, 0));
    step = std::max(1, step);
    const int room = std::min(area.width() - cut.width(), area.height() - cut.height());
    const int k = std::max(0, index) % (room / step + 1);
    return QRect(area.topLeft() + QPoint(k * step, k * step), cut);
}

} // namespace arrangement
