#pragma once

#include <QStringList>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The graph window drawing the runs of one piece of work over each other
// (a batch with overlaid graphs): called after beginRun, every run after
// the first draws over the earlier curves instead of clearing them, each in
// its own colour, named in a legend by `runNames` in the order they run.
class RunOverlay {
  public:
    static constexpr WindowKind kProvider{"FrmGraph"};
    virtual ~RunOverlay() = default;
    virtual void overlayRuns(const QStringList& runNames) = 0;
};

}  // namespace rivulon::ui
