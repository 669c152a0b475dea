#pragma once

#include "shell/window_kind.h"

namespace rivulon::ui {

// The graph window drawing the runs of one piece of work over each other
// (a batch with overlaid graphs): called after beginRun, every run after
// the first draws over the earlier curves instead of clearing them.
class RunOverlay {
  public:
    static constexpr WindowKind kProvider{"FrmGraph"};
    virtual ~RunOverlay() = default;
    virtual void overlayRuns() = 0;
};

}  // namespace rivulon::ui
