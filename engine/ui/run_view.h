#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "shell/window_kind.h"

namespace rivulon::ui {

class Job;

// The window that draws a run as it goes (the graph window). It follows the
// job given, and only that job, until it ends.
class RunView {
  public:
    static constexpr WindowKind kProvider{"FrmGraph"};
    virtual ~RunView() = default;
    // `period` is "<start> to <end>" of the simulated years, `scales` [1..4].
    virtual void beginRun(Job& job, int simLevel, const std::array<std::int16_t, 5>& scales,
                          const QString& period) = 0;
};

}  // namespace rivulon::ui
