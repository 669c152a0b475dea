#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;
class MDIFrmMain;
class UpDown;

// The simulation window: watershed name, years, what to simulate, and the
// commands to list the settings, run, save the results and close.
class FrmStart : public QWidget {
    Q_OBJECT
  public:
    explicit FrmStart(MDIFrmMain* main);

    // The start-up dialogue. False when it ended without input files to
    // run on (new input asked for, the program ended, required files missing).
    bool Form_Load();
    // Reads what the current selection needs (project options, transport
    // file, weather scan) and shows what it found.
    void Startup();

    void cmdShowSimInfo_Click();
    void cmdRunSimulation_Click();
    void cmdCreateResults_Click();
    void cmdClose_Click();
    void txtYear_Change();

    // Runs with the given graph scales ([1..4]); the graph window's Redraw.
    void redraw(const std::array<std::int16_t, 5>& scales);
    // Write the result files; an empty name asks for one. The path written,
    // empty when cancelled or failed.
    QString SaveResults(const QString& fileName);
    QString SaveSummary(const QString& fileName);
    bool hasResults() const { return hasResults_; }
    // The level of the selected simulation option (the last one when none is).
    int simLevel() const;

    QLineEdit* txtWName;
    QLineEdit* txtYear;
    UpDown* UpdnYear;
    QLineEdit* txtStartMY;
    QLineEdit* TxtEndMY;
    std::array<QRadioButton*, 4> OptSim{};
    QPushButton* cmdShowSimInfo;
    QPushButton* cmdRunSimulation;
    QPushButton* cmdCreateResults;
    QPushButton* cmdClose;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Runs the model with the given scales, drawing as it goes; false when it failed.
    bool RunSimulation(const std::array<std::int16_t, 5>& scales);
    void showStartupReport(const std::vector<std::string>& messages, bool projectRead,
                           bool weatherScanned, bool closeStart);
    bool yearCountFromBox(std::int16_t& years);

    MDIFrmMain* main_;
    bool hasResults_ = false;
    // Layout warnings of the input files, each shown once (every run rereads
    // the files and would find them again).
    void showWarnings(const std::vector<std::string>& warnings);
    std::vector<std::string> warned_;
    bool running_ = false;
};
