#pragma once

#include <QString>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The listing of the current settings ("Show Sim. Info."): a titled page of
// preformatted lines, sized to show them.
class SettingsListing {
  public:
    static constexpr WindowKind kProvider{"frmSimInfo"};
    virtual ~SettingsListing() = default;
    virtual void showListing(const QString& title, const QString& html) = 0;
};

}  // namespace rivulon::ui
