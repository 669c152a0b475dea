#pragma once

#include <QObject>

class QLineEdit;

namespace rivulon::ui {
class FlexGrid;
}

// In-cell editing of one of the nutrient editor's tables: a printable key or
// a double click opens the edit box over the current cell; Enter (or the
// table getting the focus back) commits it in red, Esc drops it, Up and Down
// commit and move.
class NCellEdit : public QObject {
    Q_OBJECT
  public:
    NCellEdit(rivulon::ui::FlexGrid* grid, QLineEdit* box);

    bool editing() const;
    // Opens the box on the current cell as a key with that character would.
    void start(int code, const QString& typed);
    // The Enter key: the table takes the text.
    void commit();

  signals:
    // A cell took the edit box's text (shown red).
    void committed(int row, int col);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void finish();

    rivulon::ui::FlexGrid* grid_;
    QLineEdit* box_;
};
