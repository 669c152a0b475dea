#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "engine/run_events.h"
#include "shell/jobs.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class DirList;
class FileList;
class UpDown;

// Runs the model once per row of a sub-basin control file and writes each
// row's Results and Summary files under "Results"+string+row number. Rows
// run in parallel on every core unless their graphs are to be overlaid, in
// which case they run one after another into the graph window.
class frmRunSub : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"frmRunSub"};
    static const rivulon::ui::WindowRegistration registration;

    explicit frmRunSub(rivulon::ui::WindowHost& host);
    ~frmRunSub() override;

    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void UpDnSubBasins_Change();
    void cmdRun_Click();
    void cmdCancel_Click();
    void CmdHelp_Click();
    void CmdRunSubClose_Click();

    // The number of rows a batch runs; lowered to a control file's row count.
    int requestedCount() const { return requested_; }
    bool running() const { return job_ != nullptr; }
    // Rows run at the same time without overlay; 0 means one per core.
    int batchJobs = 0;

    QLabel* LblFileList;
    QComboBox* Drive1;  // the places to pick a folder from
    DirList* Dir1;
    FileList* File1;
    QLineEdit* TxtCtrlFile;
    QLabel* lblNumSubBasins;
    QLineEdit* TxtNumSubBasins;
    UpDown* UpDnSubBasins;
    QLabel* LblNameString;
    QLineEdit* TxtNameString;
    QCheckBox* chkOverlapGraph;
    QProgressBar* barRows;  // rows done of rows
    QLabel* lblRowsDone;
    QPushButton* cmdRun;
    QPushButton* cmdCancel;  // shown while a batch runs
    QPushButton* CmdHelp;
    QPushButton* CmdRunSubClose;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct BatchInFlight;

    QString controlFilePath() const;
    void progress(const std::vector<rivulon::RunEvent>& events);
    void batchEnded(const rivulon::ui::JobEnd& end, const BatchInFlight& b);
    void followRunning(bool running);

    rivulon::ui::WindowHost& host_;
    int requested_ = 1;
    QPointer<rivulon::ui::Job> job_;
};
