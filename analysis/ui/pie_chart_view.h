#pragma once

#include <functional>

#include "common/text_grid.h"
#include "shell/window_kind.h"

namespace rivulon::ui {

// The pie window as the regrouping window uses it: the pie of one column
// (2..6) of a regrouped table. "Next Graph" takes the table again from
// `table` for the next column, so a pie shows the cells as they stand then.
class PieChartView {
  public:
    static constexpr WindowKind kProvider{"FrmPie"};
    virtual ~PieChartView() = default;
    virtual void showPies(std::function<rivulon::TextGrid()> table, int column) = 0;
};

}  // namespace rivulon::ui
