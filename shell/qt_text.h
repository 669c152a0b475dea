#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rivulon::ui {

inline QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string ss(const QString& s) {
    return s.toStdString();
}

}  // namespace rivulon::ui
