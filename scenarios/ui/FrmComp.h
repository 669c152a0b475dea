#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "analysis/ensemble_bands.h"
#include "analysis/result_file.h"
#include "scenarios/ensemble_compare.h"

#include "scenarios/scenario_compare.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/window_host.h"

class DirList;
class DriveList;
class FileList;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

// A table grid of the comparison tabs: its current cell is painted yellow,
// its other cells white and its heading row and column in the button face.
class CompareGrid : public rivulon::ui::FlexGrid {
  public:
    static constexpr tabulex::ColorValue kCurrentColor = 0x00FFFFu;  // yellow
    static constexpr tabulex::ColorValue kCellColor = 0xFFFFFFu;     // white

    explicit CompareGrid(QWidget* parent = nullptr);
    // The back colour the cell shows now.
    tabulex::ColorValue cellBackColor(int row, int col) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// "Compare Scenarios": up to 20 regrouped tables (Rg*.txt), one per tab,
// with the same cell selected in every table and plotted across them. In sum
// mode ("Add Results for Sub-watersheds") up to 20 results files are added
// with a weight each into one results file, which is saved and then shown in
// the results window. In ensemble mode ("Compare a Baseline with an
// Ensemble") the results file of a baseline run is set against the bands of
// an ensemble of generated weather, one tab per output, month by month or
// year by year. Nothing here touches the session's last run.
class FrmComp : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMaxFiles = 20;
    static constexpr int kHelpContext = 280;  // F1

    explicit FrmComp(rivulon::ui::WindowHost& host);

    // The menu commands: compare mode; sum mode on a fresh window.
    static void runCompare(rivulon::ui::WindowHost& host);
    static void runSum(rivulon::ui::WindowHost& host);
    static void runEnsembleCompare(rivulon::ui::WindowHost& host);

    // Switches to sum mode: results files, the weights grid, the caption.
    void LoadSum();
    // Reads every file, then adds them with their weights; the first file
    // that cannot be read or does not fit the first one stops the sum with
    // one message and nothing is written. Asks where to save the sum and
    // writes it; false when nothing was saved.
    bool SumResults(const QStringList& paths, const std::vector<float>& weights);
    // Switches to ensemble mode: a baseline results file, and the ensemble's
    // bands.csv or the ensemble run last in the Climate scenario dialog.
    void LoadEnsemble();

    void Check1_Click();
    void File1_DblClick();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdNext_Click();
    void CmdPlot_Click();

    bool sumMode() const { return mode_ == QLatin1String("Sum"); }
    bool ensembleMode() const { return mode_ == QLatin1String("Ensemble"); }
    // The outputs shown in ensemble mode, one per tab.
    const std::vector<rivulon::BaselineBands>& ensembleComparisons() const { return comparisons_; }
    // The folder the lists show; files are taken from there.
    QString folder() const;
    void setFolder(const QString& folder);
    // The saved sum, empty until one was saved.
    const QString& savedSum() const { return savedName_; }
    // The tables shown in compare mode, in list order.
    const std::vector<rivulon::CompareTable>& tables() const { return tables_; }
    // Gridcf's weight of file k (row k + 2); throws std::runtime_error with
    // the reason when it is not a number.
    float weight(int k) const;
    void setWeight(int k, const QString& text);
    QSize sizeHint() const override;

    DriveList* Drive1;
    DirList* Dir1;
    FileList* File1;
    QLabel* Label1;
    QLineEdit* Text1;
    QCheckBox* Check1;
    QPushButton* cmdAdd;
    QPushButton* cmdRemove;
    QListWidget* List1;
    QLabel* Label2;
    QWidget* Gridcf = nullptr;  // Tabulex GridEditable; null when the library is missing
    QPushButton* cmdNext;
    QTabWidget* TabData;
    std::array<CompareGrid*, kMaxFiles> Grid1{};
    QPushButton* CmdPlot;
    QLabel* Label3;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QRadioButton* OptMonths;  // ensemble mode: month by month
    QRadioButton* OptYears;   // or year by year
    QLabel* lblSummary;       // ensemble mode: where the baseline lies in the bands

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void buildControls();
    void createWeightsGrid();
    void showTabsPage(int count);
    void compareFiles(const QStringList& names);
    void sumFiles(const QStringList& names);
    void ensembleFiles(const QStringList& names);
    void showEnsembleTables();
    void showEnsembleSummary();
    void cellEntered(int k);
    void formatCompareGrids();
    void errorMessage(const QString& text);
    QString pathOf(const QString& name) const;

    rivulon::ui::WindowHost& host_;
    QString mode_;
    QString weightsError_;  // why Gridcf could not be made
    QString savedName_;
    std::vector<rivulon::CompareTable> tables_;
    rivulon::ResultSet baseline_;
    QString baselineName_;
    std::shared_ptr<const rivulon::EnsembleBands> ensemble_;
    std::vector<rivulon::BaselineBands> comparisons_;
    int shown_ = 0;  // tabs in use
    bool syncing_ = false;
    QWidget* selection_ = nullptr;
    QWidget* tabsArea_ = nullptr;
    QHBoxLayout* chosenHolder_ = nullptr;  // List1, and Gridcf beside it
};
