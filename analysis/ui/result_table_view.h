#pragma once

#include <QString>
#include <array>
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
    // The comparison of a baseline with an ensemble: the window captioned
    // "Baseline and Ensemble" charts the baseline's values (label, value) as a
    // line over the ensemble's 5-95 % and 25-75 % bands (5, 25, 50, 75 and
    // 95 % values per point), the value axis titled `valueTitle`.
    virtual void plotAgainstBands(const QString& title, const QString& footnote,
                                  const QString& pointTitle, const QString& valueTitle,
                                  const std::vector<std::pair<QString, float>>& baseline,
                                  const std::vector<std::array<float, 5>>& bands) = 0;
};

}  // namespace rivulon::ui
