#pragma once

#include <QTextEdit>

#include "shell/window_host.h"

// The listing of the current settings that "Show Sim. Info." fills.
class frmSimInfo : public QTextEdit {
    Q_OBJECT
  public:
    explicit frmSimInfo(rivulon::ui::WindowHost& host);
    // As large as the listing (every line, the longest path whole), within
    // the screen.
    QSize sizeHint() const override;
};
