#pragma once

#include "analysis/grid_copy.h"
#include "common/text_grid.h"
#include "gridcontrol/table_grid.h"
#include "shell/edit_target.h"

namespace rivulon::ui {

// The read-only table grid of the program's windows (result tables, editors'
// tables, scenario tabs). Each grid keeps its own selection record, set by
// its mouse events, and Copy puts that block on the clipboard as the copy
// text of the tables (heading line, hidden rows left out, CR LF).
class FlexGrid : public tabulex::TableGrid, public EditTarget {
    Q_OBJECT
  public:
    explicit FlexGrid(QWidget* parent = nullptr);

    // Fills the grid from a text grid: its size, then every cell.
    void setCells(const rivulon::TextGrid& cells);
    // The cell texts as they stand.
    rivulon::TextGrid cells() const;
    // Rows whose height is 0 (collapsed), by row.
    std::vector<bool> hiddenRows() const;

    const rivulon::GridSelection& selection() const { return selection_; }
    void setSelection(const rivulon::GridSelection& selection) { selection_ = selection; }
    // The text Copy puts on the clipboard for the current selection record.
    QString copyText() const;

    bool canCut() const override { return false; }
    bool canPaste() const override { return false; }
    void copy() override;
    void cut() override {}
    void paste() override {}

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    rivulon::GridSelection selection_;
};

}  // namespace rivulon::ui
