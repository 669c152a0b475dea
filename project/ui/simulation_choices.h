#pragma once

#include <QString>
#include <cstdint>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The simulation window's choices as a batch of runs takes them, and the
// watershed name a batch leaves in it (that of its last row).
class SimulationChoices {
  public:
    static constexpr WindowKind kProvider{"FrmStart"};
    virtual ~SimulationChoices() = default;
    // The years in the years box; false (the window says why) when it does
    // not hold a whole number a run can use.
    virtual bool chosenYears(std::int16_t& years) = 0;
    virtual int chosenLevel() const = 0;
    // The watershed name in its box, as a run saved now would be named.
    virtual QString chosenWatershedName() const = 0;
    // "<start> to <end>" as the window shows the simulated period.
    virtual QString chosenPeriod() const = 0;
    virtual void setWatershedName(const QString& name) = 0;
};

}  // namespace rivulon::ui
