#pragma once

#include <QTextEdit>

#include "shell/window_host.h"

// The listing of the current settings that "Show Sim. Info." fills.
class frmSimInfo : public QTextEdit {
    Q_OBJECT
  public:
    explicit frmSimInfo(rivulon::ui::WindowHost& host);
};
