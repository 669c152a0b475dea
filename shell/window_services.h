#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace rivulon::ui {

// Small interfaces that some windows implement so that others can use them
// without knowing their class: a window is found through the host
// (findWindow / openWindow) and asked with dynamic_cast.

// The window that runs the model (the start window).
class RunCommands {
  public:
    virtual ~RunCommands() = default;
    // Runs again with other graph scales ([1..4]).
    virtual void redraw(const std::array<std::int16_t, 5>& scales) = 0;
    // Saves the last run's results, asking for the file names.
    virtual void saveResults() = 0;
};

class Job;

// The window that draws a run as it goes (the graph window). It follows the
// job given, and only that job, until it ends.
class RunView {
  public:
    virtual ~RunView() = default;
    // `period` is "<start> to <end>" of the simulated years, `scales` [1..4].
    virtual void beginRun(Job& job, int simLevel, const std::array<std::int16_t, 5>& scales,
                          const QString& period) = 0;
};

}  // namespace rivulon::ui

namespace rivulon::ui {

// What the user chose in the start-up dialogue.
enum class StartupChoice {
    Ready,      // the input files are chosen and read
    NoFiles,    // given up, or required files missing: nothing to run on
    CreateNew,  // new input files asked for
    End,        // end the program
};

// The window whose loading runs the start-up dialogue (the start window).
class StartupDialogue {
  public:
    virtual ~StartupDialogue() = default;
    // Runs the dialogue; with a project file given, that project is taken
    // without asking (a file that is no project is said so, then asked).
    virtual StartupChoice runStartup(const QString& projectFile = {}) = 0;
};

}  // namespace rivulon::ui

namespace rivulon::ui {

// The tables of a result file.
enum class ResultTable { Summary, Annual, Monthly };

// The results window: shows a table of a result (or summary) file.
class ResultTableView {
  public:
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

// The results window's page of duration curves: opens a daily file there.
class DurationCurveView {
  public:
    virtual ~DurationCurveView() = default;
    // False (with a message) when the file could not be read.
    virtual bool showDailyFile(const QString& path) = 0;
};

// The pie window used as a text page by the septic window: the caption, the
// lines shown, and what "Save Data" does (the window closes after it).
class PieTextPage {
  public:
    virtual ~PieTextPage() = default;
    virtual void showTextPage(const QString& caption, const QStringList& lines,
                              std::function<void()> saveData) = 0;
};

// The regrouping window: loads a saved regrouped table.
class RegroupView {
  public:
    virtual ~RegroupView() = default;
    virtual bool loadRegroupedTable(const QString& path) = 0;
};

// The transport editor: creates new transport (and then nutrient) files from
// the answers of "Create Transport/Nutrient Files".
class NewInputEditor {
  public:
    virtual ~NewInputEditor() = default;
    virtual void createNew(float latitude, int ruralCount, int urbanCount) = 0;
};

// The nutrient editor as other windows use it: a new file for a new
// transport file, and the septic-only mode of the septic window.
class NutrientEditorService {
  public:
    virtual ~NutrientEditorService() = default;
    // Create mode with the land-use counts and names of a new transport file.
    virtual void createNew(int ruralCount, int urbanCount, const QStringList& landUseNames) = 0;
    // Opens the current transport and nutrient files limited to the septic
    // page ("Other Parameters"); false (with a message) when they cannot be read.
    virtual bool openSepticOnly() = 0;
    // Row 1 normal and row 2 ponded systems, months 1..12, of the septic page.
    virtual void setSepticPopulation(int row, int month, int value) = 0;
    // Called once when the editor closes: whether it saved the nutrient file,
    // and the name it saved under.
    virtual void whenClosed(std::function<void(bool fileSaved, const QString& savedName)> done) = 0;
};

// The weather editor: creates a new weather file of `years` years.
class NewWeatherEditor {
  public:
    virtual ~NewWeatherEditor() = default;
    virtual void createNew(int years) = 0;
};

}  // namespace rivulon::ui

#include "common/text_grid.h"

namespace rivulon::ui {

// The pie window as the regrouping window uses it: the pie of one column
// (2..6) of a regrouped table. "Next Graph" takes the table again from
// `table` for the next column, so a pie shows the cells as they stand then.
class PieChartView {
  public:
    virtual ~PieChartView() = default;
    virtual void showPies(std::function<rivulon::TextGrid()> table, int column) = 0;
};

}  // namespace rivulon::ui

namespace rivulon::ui {

// The county record viewer: one county's record of the project database,
// found by its "ID" (the county's position in the project's list, from 1).
// The county sub-menu and the county map use it.
class CountyRecordView {
  public:
    virtual ~CountyRecordView() = default;
    // Shows the record; false (after saying so) when there is none or the
    // database cannot be read, the boxes keeping what they showed.
    virtual bool ToRecord(int key) = 0;
    // The name shown for the record (its first box).
    virtual QString recordName() const = 0;
};

}  // namespace rivulon::ui

namespace rivulon::ui {

// The simulation window's choices as a batch of runs takes them, and the
// watershed name a batch leaves in it (that of its last row).
class SimulationChoices {
  public:
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

// The graph window drawing the runs of one piece of work over each other
// (a batch with overlaid graphs): called after beginRun, every run after
// the first draws over the earlier curves instead of clearing them.
class RunOverlay {
  public:
    virtual ~RunOverlay() = default;
    virtual void overlayRuns() = 0;
};

}  // namespace rivulon::ui
