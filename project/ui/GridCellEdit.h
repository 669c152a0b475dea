#pragma once

#include <QObject>

class QLineEdit;

namespace rivulon::ui {
class FlexGrid;
}

// In-cell editing of a read-only table grid through an edit box (the transport
// and nutrient editors' TxtCell): a printable key opens the box over the
// current cell with that character, a double click with the cell's text.
// Enter, the table taking the focus back or another cell chosen commits (the
// cell turns red), Esc drops the edit, Up and Down commit and move a row.
class GridCellEdit : public QObject {
    Q_OBJECT
  public:
    GridCellEdit(rivulon::ui::FlexGrid* grid, QLineEdit* box);

    // GridEdit: opens the box; code is the key's character (32 or less takes
    // the cell's text).
    void GridEdit(int code, const QString& typed);
    bool editing() const;
    // Commits a visible box into its cell, marked red.
    void commit();
    // The same for the commands that read the tables (cell_edits.h); false
    // when no edit was open.
    Q_INVOKABLE bool EndEdit();

  signals:
    void committed(int row, int col);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void placeBox();

    rivulon::ui::FlexGrid* grid_;
    QLineEdit* box_;
    int row_ = 0;
    int col_ = 0;
};
