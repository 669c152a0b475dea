#include "shell/widgets/NumberSpinBox.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "common/list_reader.h"

namespace {

// The whole number the text holds, when it holds one in full.
std::optional<double> wholeNumber(const QString& text) {
    double v = 0;
    if (!rivulon::parseDouble(text.trimmed().toStdString(), v) || !std::isfinite(v) ||
        std::floor(v) != v) {
        return std::nullopt;
    }
    return v;
}

}  // namespace

NumberSpinBox::NumberSpinBox(QWidget* parent) : QSpinBox(parent) {
    setGroupSeparatorShown(false);
}

QValidator::State NumberSpinBox::validate(QString& input, int&) const {
    const QString t = input.trimmed();
    if (const auto v = wholeNumber(t)) {
        return *v >= minimum() && *v <= maximum() ? QValidator::Acceptable
                                                  : QValidator::Intermediate;
    }
    // A number being typed: empty, a sign, or a mantissa waiting for its
    // exponent. A comma or a blank stays in sight (so "1,500" is seen, and
    // never taken, not turned into 1500); a letter is refused as typed.
    static const QString partial = QStringLiteral("+-0123456789.eEdD, ");
    for (const QChar c : t) {
        if (!partial.contains(c)) {
            return QValidator::Invalid;
        }
    }
    return QValidator::Intermediate;
}

int NumberSpinBox::valueFromText(const QString& text) const {
    const auto v = wholeNumber(text);
    return v ? static_cast<int>(std::clamp<double>(*v, minimum(), maximum())) : value();
}

QString NumberSpinBox::textFromValue(int value) const {
    return QString::number(value);
}
