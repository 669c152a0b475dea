#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <functional>

// An up-down spinner: only the two arrow buttons show; the value is shown by
// the text box it serves.
class UpDown : public QSpinBox {
    Q_OBJECT
  public:
    explicit UpDown(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Pairs the spinner with the box that shows its value (as `show` writes
    // it; the plain number when none is given). The user may type into the
    // box: a number in the spinner's range is the spinner's value at once,
    // without Enter, so that a button clicked next uses it; the box is
    // written in its usual form when the user leaves it.
    void setBuddy(QLineEdit* box, std::function<QString(int)> show = {});
    QLineEdit* buddy() const { return buddy_; }
    // "" when the box holds the spinner's value; otherwise why a command
    // cannot use what was typed, naming `field`:
    //   "<field>: 40 is outside the allowed range 1 to 32".
    QString typedProblem(const QString& field) const;

  private:
    // The number a box text starts with, rounded to a whole one; false when
    // it starts with none.
    static bool leadingWhole(const QString& text, int& value);

    QPointer<QLineEdit> buddy_;
    std::function<QString(int)> show_;
    bool typing_ = false;
};
