#pragma once

#include <QString>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The results window's page of duration curves: opens a daily file there.
class DurationCurveView {
  public:
    static constexpr WindowKind kProvider{"frmGResults"};
    virtual ~DurationCurveView() = default;
    // False (with a message) when the file could not be read.
    virtual bool showDailyFile(const QString& path) = 0;
};

}  // namespace rivulon::ui
