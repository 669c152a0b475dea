#include "project/ui/FrmN_cells.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "shell/twips.h"
#include "shell/widgets/FlexGrid.h"

namespace {
constexpr int kEditInsetTwips = 8;  // the cell's grid lines stay visible
constexpr tabulex::ColorValue kRed = 255;
}  // namespace

NCellEdit::NCellEdit(rivulon::ui::FlexGrid* grid, QLineEdit* box)
    : QObject(grid), grid_(grid), box_(box) {
    box_->setParent(grid_);
    box_->setFrame(false);
    box_->hide();
    box_->installEventFilter(this);
    connect(grid_, &tabulex::TableGrid::charTyped, this, &NCellEdit::start);
    connect(grid_, &tabulex::TableGrid::doubleClicked, this,
            [this] { start(32, QStringLiteral(" ")); });
    connect(grid_, &tabulex::TableGrid::gotFocus, this, [this] {
        if (editing())
            finish();
    });
    connect(grid_, &tabulex::TableGrid::leaveCell, this, [this] {
        if (editing())
            finish();
    });
}

bool NCellEdit::editing() const {
    return !box_->isHidden();
}

void NCellEdit::start(int code, const QString& typed) {
    if (grid_->rows() <= grid_->fixedRows() || grid_->cols() <= grid_->fixedCols())
        return;
    if (code > 32) {
        box_->setText(typed);
        box_->setCursorPosition(int(typed.size()));
    } else {
        box_->setText(grid_->text());
        box_->end(false);
    }
    grid_->ensureCurrentVisible();
    using rivulon::ui::twipsToPixels;
    box_->setGeometry(twipsToPixels(grid_->cellLeft()), twipsToPixels(grid_->cellTop()),
                      twipsToPixels(grid_->cellWidth() - kEditInsetTwips),
                      twipsToPixels(grid_->cellHeight() - kEditInsetTwips));
    box_->show();
    box_->raise();
    box_->setFocus(Qt::OtherFocusReason);
}

void NCellEdit::commit() {
    grid_->setFocus(Qt::OtherFocusReason);
    // A window without the focus gets no focus event: end the edit now.
    if (editing())
        finish();
}

void NCellEdit::finish() {
    const QString text = box_->text();
    box_->hide();
    grid_->setCellForeColor(kRed);
    grid_->setText(text);
    emit committed(grid_->row(), grid_->col());
}

bool NCellEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_ || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            commit();
            return true;
        case Qt::Key_Escape:
            box_->hide();
            grid_->setFocus(Qt::OtherFocusReason);
            return true;
        case Qt::Key_Up:
            commit();
            if (grid_->row() > grid_->fixedRows()) {
                grid_->setRow(grid_->row() - 1);
                grid_->ensureCurrentVisible();
            }
            return true;
        case Qt::Key_Down:
            commit();
            if (grid_->row() < grid_->rows() - 1) {
                grid_->setRow(grid_->row() + 1);
                grid_->ensureCurrentVisible();
            }
            return true;
        default:
            return QObject::eventFilter(watched, event);
    }
}
