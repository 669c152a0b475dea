#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <string>

#include "analysis/ui/regroup_view.h"
#include "common/text_grid.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace rivulon::ui {
class FlexGrid;
}

// Gathers the land uses of a results file into at most eight named groups
// and shows their mean annual runoff volume, erosion and nutrient loads with
// the other sources; the table is saved, loaded back and shown as pies.
class FrmReGroup : public QWidget, public rivulon::ui::RegroupView {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"FrmReGroup"};
    static const rivulon::ui::WindowRegistration registration;

    static constexpr int kGroups = 8;

    explicit FrmReGroup(rivulon::ui::WindowHost& host);
    ~FrmReGroup() override;

    // The menu command: the window, then the question for a results file.
    static void openRegroup(rivulon::ui::WindowHost& host);
    // The size of the regrouped table, for the comparison window's grids.
    static std::int16_t MyGridCols();
    static std::int16_t MyGridRows();

    // Asks for a results file (nothing happens on cancel) and opens it.
    void Form_Load();
    // Reads the file's land uses into the list; false (with a message naming
    // the file and line) when it cannot be read.
    bool openResultsFile(const QString& path);
    // RegroupView: all or nothing; a failed read says why and keeps the grid.
    bool loadRegroupedTable(const QString& path) override;

    void Image1_Click(int group);
    void Image2_Click(int group);
    void Label1_Click(int group);
    void cmdCalculate_Click();
    void Cal_total(int column);
    void CmdDefault_Click();
    void cmdAdd_Click();
    void ChkOC_Click();
    void cmdSave_Click();
    void cmdLoad_Click();
    void cmdPrint_Click();
    void cmdViewPie_Click();
    // Hands column `column` of the table to the pie window.
    void SetPieData(int column);

    // The results file chosen, empty until one was read.
    const QString& resultsFile() const { return resultsFile_; }
    // The table is shown (calculated or loaded).
    bool tableShown() const { return tableShown_; }

    QListWidget* ListLU;
    std::array<QLabel*, kGroups> Label1{};
    std::array<QComboBox*, kGroups> CboGroup{};
    std::array<QToolButton*, kGroups> Image1{};
    std::array<QToolButton*, kGroups> Image2{};
    QLineEdit* Txtlabel;
    rivulon::ui::FlexGrid* ReGrid;
    QPushButton* cmdCalculate;
    QPushButton* cmdViewPie;
    QPushButton* cmdSave;
    QPushButton* cmdLoad;
    QPushButton* cmdPrint;
    QPushButton* cmdClose;
    std::array<QLineEdit*, 4> TxtAdd{};
    std::array<QLabel*, 4> lblAdd{};
    QPushButton* CmdDefault;
    QPushButton* cmdAdd;
    QCheckBox* ChkOC;
    QLabel* lblTitle;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void freezeGrouping();
    void showTable(const rivulon::TextGrid& table);
    void calculated(const rivulon::TextGrid& table);
    void setHeadings();
    void fitColumns();
    void closeLabelEditor(bool keep);
    QString selectResultsFile();

    rivulon::ui::WindowHost& host_;
    QString resultsFile_;
    float totalArea_ = 0;
    int editedLabel_ = -1;
    bool tableShown_ = false;
};
