#pragma once

#include <array>
#include <cstdint>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The window that runs the model (the start window), as the graph window
// and the Save command use it.
class RunCommands {
  public:
    static constexpr WindowKind kProvider{"FrmStart"};
    virtual ~RunCommands() = default;
    // Runs again with other graph scales ([1..4]).
    virtual void redraw(const std::array<std::int16_t, 5>& scales) = 0;
    // Saves the last run's results, asking for the file names.
    virtual void saveResults() = 0;
};

}  // namespace rivulon::ui
