#include "shell/UpDown.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <cmath>

#include "common/list_reader.h"
#include "common/value_rules.h"

UpDown::UpDown(QWidget* parent) : QSpinBox(parent) {
    lineEdit()->setVisible(false);
    lineEdit()->setReadOnly(true);
    setFixedSize(sizeHint());
}

QSize UpDown::sizeHint() const {
    return {18, 24};
}

bool UpDown::leadingWhole(const QString& text, int& value) {
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) {
        return false;
    }
    const double v =
        rivulon::roundHalfEven(rivulon::leadingNumber(match.captured(1).toStdString()));
    if (!(std::abs(v) < 2.0e9)) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

void UpDown::setBuddy(QLineEdit* box, std::function<QString(int)> show) {
    buddy_ = box;
    show_ = show ? std::move(show) : [](int v) { return QString::number(v); };
    box->setReadOnly(false);
    connect(this, &QSpinBox::valueChanged, box, [this](int v) {
        // While the user types, the box keeps the text as typed.
        if (!typing_ && buddy_) {
            buddy_->setText(show_(v));
        }
    });
    connect(box, &QLineEdit::textEdited, this, [this](const QString& text) {
        int v = 0;
        if (leadingWhole(text, v) && v >= minimum() && v <= maximum()) {
            typing_ = true;
            setValue(v);
            typing_ = false;
        }
    });
    connect(box, &QLineEdit::editingFinished, this, [this] {
        if (buddy_ && !buddy_->text().trimmed().isEmpty() && typedProblem(QString()).isEmpty()) {
            buddy_->setText(show_(value()));
        }
    });
}

QString UpDown::typedProblem(const QString& field) const {
    if (!buddy_) {
        return {};
    }
    const QString text = buddy_->text();
    // An empty box stands for the spinner's value (a second period not used).
    if (text.trimmed().isEmpty()) {
        return {};
    }
    int v = 0;
    if (!leadingWhole(text, v)) {
        return QStringLiteral("%1: \"%2\" is not a number").arg(field, text.trimmed());
    }
    if (v < minimum() || v > maximum()) {
        const std::string allowed = std::to_string(minimum()) + " to " + std::to_string(maximum());
        return QString::fromStdString(
            rivulon::outsideRangeText(field.toStdString(), text.trimmed().toStdString(), allowed));
    }
    return {};
}
