#include "shell/UpDown.h"

#include <QLineEdit>

UpDown::UpDown(QWidget* parent) : QSpinBox(parent) {
    lineEdit()->setVisible(false);
    lineEdit()->setReadOnly(true);
    setFixedSize(sizeHint());
}

QSize UpDown::sizeHint() const {
    return {18, 24};
}
