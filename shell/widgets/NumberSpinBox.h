#pragma once

#include <QSpinBox>

// A spin box whose typed text is read by the program's one number reader, as
// every number typed into a window is: "1,500" is not 1500, "1e3" is 1000.
// What it accepts it shows as plain digits; text that is no whole number in
// range is never taken (the box goes back to its last value).
class NumberSpinBox : public QSpinBox {
    Q_OBJECT
  public:
    explicit NumberSpinBox(QWidget* parent = nullptr);

  protected:
    QValidator::State validate(QString& input, int& pos) const override;
    int valueFromText(const QString& text) const override;
    QString textFromValue(int value) const override;
};
