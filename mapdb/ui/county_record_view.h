#pragma once

#include <QString>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The county record viewer: one county's record of the project database,
// found by its "ID" (the county's position in the project's list, from 1).
// The county sub-menu and the county map use it.
class CountyRecordView {
  public:
    static constexpr WindowKind kProvider{"frmCounty"};
    virtual ~CountyRecordView() = default;
    // Shows the record; false (after saying so) when there is none or the
    // database cannot be read, the boxes keeping what they showed.
    virtual bool ToRecord(int key) = 0;
    // The name shown for the record (its first box).
    virtual QString recordName() const = 0;
};

}  // namespace rivulon::ui
