#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

#include "engine/ui/run_overlay.h"
#include "engine/ui/run_view.h"
#include "shell/jobs.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class RunGraphs;
class PictureBox;
class UpDown;

// The run's live graphs: streamflow and sediment on one tab, nitrogen (or
// organic carbon) and phosphorus on the other, with the four y-scales.
class FrmGraph : public QWidget, public rivulon::ui::RunView, public rivulon::ui::RunOverlay {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmGraph"};
    static const rivulon::ui::WindowRegistration registration;

    explicit FrmGraph(rivulon::ui::WindowHost& host);
    ~FrmGraph() override;

    // The y-scales from the graph scales.
    void Form_Load();
    // Before a run: tab captions and which scale boxes show.
    void prepareRun(int simLevel);
    void beginRun(rivulon::ui::Job& job, int simLevel, const std::array<std::int16_t, 5>& scales,
                  const QString& period) override;
    void overlayRuns(const QStringList& runNames) override;
    // After a run: keeps the finished drawings.
    void keepDrawings();
    std::array<std::int16_t, 5> scales() const;

    void UpDn_Change(int index);
    void cmdRedraw_Click();
    void cmdShowOther_Click();
    void cmdSaveScales_Click();
    void CmdSave_Click();
    void CmdClose_Click();

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QTabWidget* TabOut;
    QListWidget* lstRuns;  // the colours of overlaid runs
    std::array<PictureBox*, 4> PicBox{};
    std::array<PictureBox*, 4> PicLegend{};
    std::array<QLineEdit*, 4> Text1{};
    std::array<UpDown*, 4> UpDn{};
    QPushButton* cmdRedraw;
    QPushButton* cmdShowOther;
    QPushButton* cmdSaveScales;
    QPushButton* CmdSave;
    QPushButton* CmdClose;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void tabChanged(int index);
    void text1Edited(int index);

    void endRun();
    void showRunLegend(bool show);

    rivulon::ui::WindowHost& host_;
    std::unique_ptr<RunGraphs> graphs_;
    QPointer<rivulon::ui::Job> job_;
    std::array<QLabel*, 4> scaleLabels_{};
};
