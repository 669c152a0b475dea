#pragma once

#include <QTextEdit>

#include "project/ui/settings_listing.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

// The listing of the current settings that "Show Sim. Info." fills.
class frmSimInfo : public QTextEdit, public rivulon::ui::SettingsListing {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"frmSimInfo"};
    static const rivulon::ui::WindowRegistration registration;

    explicit frmSimInfo(rivulon::ui::WindowHost& host);
    // As large as the listing (every line, the longest path whole), within
    // the screen.
    QSize sizeHint() const override;
    void showListing(const QString& title, const QString& html) override;

  private:
    rivulon::ui::WindowHost& host_;
};
