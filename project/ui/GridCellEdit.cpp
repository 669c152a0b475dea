#include "project/ui/GridCellEdit.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "shell/twips.h"
#include "shell/widgets/FlexGrid.h"

namespace {
constexpr tabulex::ColorValue kChangedRed = 255;
}

GridCellEdit::GridCellEdit(rivulon::ui::FlexGrid* grid, QLineEdit* box)
    : QObject(grid), grid_(grid), box_(box) {
    box_->setParent(grid_);
    box_->hide();
    box_->installEventFilter(this);
    connect(grid_, &tabulex::TableGrid::charTyped, this, [this](int code, const QString& text) {
        if (code != 27 && code != 13)
            GridEdit(code, text);
    });
    connect(grid_, &tabulex::TableGrid::doubleClicked, this, [this] { GridEdit(32, QString()); });
    connect(grid_, &tabulex::TableGrid::gotFocus, this, &GridCellEdit::commit);
    // A click on another cell ends the edit in the cell it was made in.
    connect(grid_, &tabulex::TableGrid::leaveCell, this, &GridCellEdit::commit);
}

// The box counts as open while it is not hidden, also on a page not shown.
bool GridCellEdit::editing() const {
    return !box_->isHidden();
}

void GridCellEdit::GridEdit(int code, const QString& typed) {
    if (grid_->row() < grid_->fixedRows() || grid_->col() < grid_->fixedCols())
        return;
    row_ = grid_->row();
    col_ = grid_->col();
    grid_->ensureCurrentVisible();
    if (code > 32) {
        box_->setText(typed);
        box_->setCursorPosition(1);
    } else {
        box_->setText(grid_->textMatrix(row_, col_));
        box_->end(false);
    }
    placeBox();
    box_->show();
    box_->raise();
    box_->setFocus();
}

void GridCellEdit::placeBox() {
    using rivulon::ui::twipsToPixels;
    box_->setGeometry(twipsToPixels(grid_->colPos(col_)), twipsToPixels(grid_->rowPos(row_)),
                      std::max(8, twipsToPixels(grid_->colWidth(col_))),
                      std::max(8, twipsToPixels(grid_->rowHeight(row_))));
}

void GridCellEdit::commit() {
    if (!editing())
        return;
    box_->hide();
    if (row_ >= grid_->rows() || col_ >= grid_->cols())
        return;
    grid_->setTextMatrix(row_, col_, box_->text());
    if (grid_->row() != row_)
        grid_->setRow(row_);
    if (grid_->col() != col_)
        grid_->setCol(col_);
    grid_->setCellForeColor(kChangedRed);
    emit committed(row_, col_);
}

bool GridCellEdit::EndEdit() {
    if (!editing())
        return false;
    commit();
    return true;
}

bool GridCellEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_ || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            commit();
            grid_->setFocus();
            return true;
        case Qt::Key_Escape:
            box_->hide();
            grid_->setFocus();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down: {
            commit();
            grid_->setFocus();
            const int row = grid_->row();
            if (key == Qt::Key_Up && row > grid_->fixedRows())
                grid_->setRow(row - 1);
            if (key == Qt::Key_Down && row < grid_->rows() - 1)
                grid_->setRow(row + 1);
            grid_->ensureCurrentVisible();
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}
