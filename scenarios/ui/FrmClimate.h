#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "shell/window_host.h"
#include "shell/window_registration.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
namespace rivulon::ui {
struct JobEnd;
class Job;
}  // namespace rivulon::ui

// "Climate scenario": a change of the recorded weather that every run then
// reads (temperature plus a shift, precipitation times a factor, one value or
// one per month), and an ensemble of generated weather series fitted to the
// project's weather file, whose spread the results window draws behind its
// monthly and annual charts.
class FrmClimate : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmClimate"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmClimate(rivulon::ui::WindowHost& host);
    ~FrmClimate() override;

    void cmdOK_Click();
    void cmdRecorded_Click();
    void cmdCancel_Click();

    QLineEdit* txtDeltaTemp;
    QLineEdit* txtPrecipFactor;
    QCheckBox* ChkEnsemble;
    QLineEdit* txtRealizations;
    QLineEdit* txtSeed;
    QLabel* lblStatus;
    QPushButton* cmdOK;
    QPushButton* cmdRecorded;
    QPushButton* cmdCancel;

  private:
    // Starts the ensemble on the worker thread; false when it could not start.
    bool startEnsemble();
    void ensembleEnded(const rivulon::ui::JobEnd& end);
    void showClimate();

    struct EnsembleInFlight;

    rivulon::ui::WindowHost& host_;
    std::shared_ptr<EnsembleInFlight> run_;
    QPointer<rivulon::ui::Job> job_;
};
