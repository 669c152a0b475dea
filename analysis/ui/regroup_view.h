#pragma once

#include <QString>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The regrouping window: loads a saved regrouped table.
class RegroupView {
  public:
    static constexpr WindowKind kProvider{"FrmReGroup"};
    virtual ~RegroupView() = default;
    virtual bool loadRegroupedTable(const QString& path) = 0;
};

}  // namespace rivulon::ui
