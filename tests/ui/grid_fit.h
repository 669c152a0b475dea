#pragma once

// Whether the texts of a grid show whole: each cell's text, measured in the
// grid's own font, against the room its column leaves inside the cell's
// margins (3 pixels each side and the grid line). Hidden rows and columns
// are left out; they show nothing.

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <functional>

#include "gridcontrol/grid_handle.h"
#include "gridcontrol/table_grid.h"

struct GridView {
    QString name;
    int rows = 0;
    int cols = 0;
    QFont font;
    int lineWidth = 1;
    std::function<QString(int, int)> text;
    std::function<int(int)> colTwips;
    std::function<int(int)> rowTwips;
};

inline GridView viewOf(const tabulex::TableGrid& g, const QString& name) {
    return {name,
            g.rows(),
            g.cols(),
            g.font(),
            g.gridLineWidth(),
            [&g](int r, int c) { return g.textMatrix(r, c); },
            [&g](int c) { return g.colWidth(c); },
            [&g](int r) { return g.rowHeight(r); }};
}

// A grid of the control library, seen only through its published interface.
inline GridView viewOf(QWidget* control, const QString& name) {
    auto handle = std::make_shared<tabulex::GridHandle>(control);
    return {name,
            handle->rows(),
            handle->cols(),
            control->property("Font").value<QFont>(),
            control->property("GridLineWidth").toInt(),
            [handle](int r, int c) { return handle->textMatrix(r, c); },
            [handle](int c) { return handle->colWidth(c); },
            [handle](int r) { return handle->rowHeight(r); }};
}

// "grid (row, col) "text": needs N px, has M px" for every cut cell.
inline QStringList cutCells(const GridView& g) {
    QStringList cut;
    const QFontMetrics metrics(g.font);
    for (int c = 0; c < g.cols; ++c) {
        const int widthPx = (g.colTwips(c) + 7) / 15;
        if (widthPx == 0)
            continue;
        const int room = widthPx - 6 - g.lineWidth;
        for (int r = 0; r < g.rows; ++r) {
            if (g.rowTwips(r) == 0)
                continue;
            const QString text = g.text(r, c);
            const int needed = metrics.horizontalAdvance(text);
            if (!text.isEmpty() && needed > room)
                cut << QStringLiteral("%1 (%2, %3) \"%4\": needs %5 px, has %6 px")
                           .arg(g.name)
                           .arg(r)
                           .arg(c)
                           .arg(text)
                           .arg(needed)
                           .arg(room);
        }
    }
    return cut;
}
