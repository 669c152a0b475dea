#include "shell/widgets/FlexGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>

namespace rivulon::ui {

FlexGrid::FlexGrid(QWidget* parent) : tabulex::TableGrid(parent) {}

void FlexGrid::setCells(const rivulon::TextGrid& cells) {
    const bool wasRedraw = redraw();
    setRedraw(false);
    setRows(std::max(cells.rows(), 1));
    setCols(std::max(cells.cols(), 1));
    for (int r = 0; r < cells.rows(); ++r) {
        for (int c = 0; c < cells.cols(); ++c) {
            setTextMatrix(r, c, QString::fromStdString(cells.at(r, c)));
        }
    }
    setRedraw(wasRedraw);
}

rivulon::TextGrid FlexGrid::cells() const {
    rivulon::TextGrid grid(rows(), cols());
    for (int r = 0; r < rows(); ++r) {
        for (int c = 0; c < cols(); ++c) {
            grid.set(r, c, textMatrix(r, c).toStdString());
        }
    }
    return grid;
}

std::vector<bool> FlexGrid::hiddenRows() const {
    std::vector<bool> hidden(static_cast<std::size_t>(rows()));
    for (int r = 0; r < rows(); ++r) {
        hidden[static_cast<std::size_t>(r)] = rowHeight(r) == 0;
    }
    return hidden;
}

QString FlexGrid::copyText() const {
    return QString::fromStdString(rivulon::copyText(cells(), selection_, hiddenRows()));
}

void FlexGrid::copy() {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(copyText());
    selection_.reset();
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
    tabulex::TableGrid::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        selection_.mouseDown(row(), col());
    }
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        selection_.mouseUp(rowSel(), colSel());
    }
    tabulex::TableGrid::mouseReleaseEvent(event);
}

}  // namespace rivulon::ui
