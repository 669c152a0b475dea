#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The pie window used as a text page by the septic window: the caption, the
// lines shown, and what "Save Data" does (the window closes after it).
class PieTextPage {
  public:
    static constexpr WindowKind kProvider{"FrmPie"};
    virtual ~PieTextPage() = default;
    virtual void showTextPage(const QString& caption, const QStringList& lines,
                              std::function<void()> saveData) = 0;
};

}  // namespace rivulon::ui
