#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "shell/window_kind.h"

namespace rivulon::ui {

// The tables of a result file.
enum class ResultTable { Summary, Annual, Monthly };

// The results window: shows a table of a result (or summary) file.
class ResultTableView {
  public:
    static constexpr WindowKind kProvider{"frmGResults"};
    virtual ~ResultTableView() = default;
    // Reads the file into the window's own result set and shows the table;
    // `mode` is the monthly table's mode. False (with a message) when the
    // file could not be read.
    virtual bool showResultFile(const QString& path, ResultTable table, int mode = 1) = 0;
    // The comparison window's "Plot Selected": the window captioned "Scenario
    // Plot" charts one value per scenario file (label, value) with a title
    // and a footnote.
    virtual void plotScenarios(const QString& title, const QString& footnote,
                               const std::vector<std::pair<QString, double>>& values) = 0;
};

}  // namespace rivulon::ui
