#pragma once

#include <QSpinBox>

// An up-down spinner: only the two arrow buttons show; the value is shown by
// the text box it serves.
class UpDown : public QSpinBox {
    Q_OBJECT
  public:
    explicit UpDown(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
};
