#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "calibration/flow_target.h"
#include "calibration/parameters.h"
#include "shell/jobs.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QCheckBox;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QValueAxis;
class ResultChart;

// Fits the hydrology of the session's project to its observed-flow file: the
// parameters to change with their ranges, the objective and the budget; the
// search runs off the interface thread with a live plot of the best objective,
// then shows the observed and simulated monthly flows with the statistics.
// "Sensitivity" ranks the checked parameters by Morris elementary effects;
// "Uncertainty" draws the 95 % prediction band of the behavioural sets.
class FrmCalibrate : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmCalibrate"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmCalibrate(rivulon::ui::WindowHost& host);
    ~FrmCalibrate() override;
    QSize sizeHint() const override;

    // One row of the parameter table per calibratable parameter.
    struct ParamRow {
        const rivulon::calibration::ParameterInfo* info = nullptr;
        QCheckBox* check = nullptr;
        QLineEdit* low = nullptr;
        QLineEdit* high = nullptr;
    };

    // False (with a message) when the inputs are not usable or work is running.
    bool cmdRun_Click();
    bool cmdSensitivity_Click();
    bool cmdUncertainty_Click();
    void cmdCancel_Click();
    // Asks for a file name; true when the file was written.
    bool cmdSave_Click();
    // Every evaluated set of the last calibration, as `hydload calibrate`
    // writes calibration.csv; true when the file was written.
    bool cmdSaveTrace_Click();
    void cmdBrowse_Click();

    bool running() const { return work_ != nullptr; }
    // The finished calibration, when there is one.
    struct Result;
    const Result* result() const { return result_.get(); }

    std::vector<ParamRow> paramRows;
    QLabel* lblProject;
    QLineEdit* txtObserved;
    QPushButton* cmdBrowse;
    QComboBox* cboObjective;
    QCheckBox* chkPbias;
    QLineEdit* txtPbias;
    QSpinBox* spnRuns;
    QSpinBox* spnSeed;
    QSpinBox* spnJobs;
    QSpinBox* spnTrajectories;
    QLineEdit* txtThreshold;
    QPushButton* cmdRun;
    QPushButton* cmdCancel;
    QPushButton* cmdSensitivity;
    QPushButton* cmdUncertainty;
    QPushButton* cmdSave;
    QPushButton* cmdSaveTrace;
    QPushButton* cmdHelp;
    QPushButton* cmdClose;
    QProgressBar* prgRuns;
    QLabel* lblStatus;
    QChartView* chtTrace;
    QLineSeries* serTrace;
    QChartView* chtFlows;
    QLabel* lblStatistics;
    QTabWidget* tabResults;
    rivulon::ui::FlexGrid* grdBest;
    rivulon::ui::FlexGrid* grdSensitivity;
    QWidget* pagUncertainty;
    ResultChart* chtBand;
    QLabel* lblBand;
    rivulon::ui::FlexGrid* grdBehavioural;

  private:
    struct Work;
    // The checked parameters with the ranges typed; empty (after a message)
    // when a range is not usable.
    std::vector<rivulon::calibration::Parameter> chosenParameters();
    QString projectPath() const;
    // False (with a message) while work runs or no project is open.
    bool readyToStart();
    // Work on the checked parameters with the chosen objective; null (after
    // a message) when a range is not usable.
    std::shared_ptr<Work> newWork();
    // The plotted points of a chart's named lines, one column per line.
    static rivulon::TextGrid lineData(QChartView* view, const QString& xTitle);
    bool begin(std::shared_ptr<Work> work);
    void workProgress(const std::vector<rivulon::RunEvent>& events);
    void workEnded(const rivulon::ui::JobEnd& end);
    void showCalibration();
    void showSensitivity();
    QWidget* makeUncertaintyPage();
    void showUncertainty();
    void followRunning(bool running);
    void takeTracePoints();

    rivulon::ui::WindowHost& host_;
    QChart* traceChart_;
    QValueAxis* traceX_;
    QValueAxis* traceY_;
    std::shared_ptr<Work> work_;
    std::shared_ptr<Work> last_;
    std::shared_ptr<Work> lastSearch_;  // the last calibration, for its trace
    std::unique_ptr<Result> result_;
    QPointer<rivulon::ui::Job> job_;
    double traceLow_ = 0, traceHigh_ = 1;
};

// What a finished (or cancelled) calibration left: its best set and the
// files it read, for the charts and "Save calibrated transport file…".
struct FrmCalibrate::Result {
    std::shared_ptr<const rivulon::calibration::CalibrationInputs> inputs;
    rivulon::calibration::ObjectiveSettings objective;
    std::vector<rivulon::calibration::Parameter> params;
    std::vector<double> start;  // the project's own values
    std::vector<double> best;
    rivulon::calibration::Evaluation bestFit, startFit;
    std::vector<double> trace;  // best objective after each run
    int runs = 0;
    bool cancelled = false;
};
