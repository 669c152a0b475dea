#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "engine/model_state.h"
#include "project/nutrient_matrix.h"
#include "shell/window_host.h"
#include "shell/window_registration.h"

class QPushButton;
class QTabWidget;

// The nutrient data matrix: the current nutrient concentrations as land use
// by month tables (N and P) that the user may change, append to a nutrient
// file, load back from one, and hand to the run.
class frmMatrix : public QWidget {
    Q_OBJECT
  public:
    static constexpr rivulon::ui::WindowKind kKind{"frmMatrix"};
    static const rivulon::ui::WindowRegistration registration;

    explicit frmMatrix(rivulon::ui::WindowHost& host);

    // The menu command: the current nutrient file in a new window; a window
    // that cannot read it closes after saying why.
    static void open(rivulon::ui::WindowHost& host);
    // The menu command: switches the data matrix off when it is in use, and
    // otherwise opens the window.
    static void matrixCommand(rivulon::ui::WindowHost& host);

    // Reads the current transport and nutrient files into the tables. False
    // (with a message) when they cannot be read or the grids cannot be made.
    bool load();

    void cmdAppend_Click();
    void cmdLoadData_Click();
    // False (with a message naming the land use and month) when a cell is not a number.
    bool cmdUseMatrixData_Click();
    void CmdClose_Click();

    // Wide and tall enough for every month of every land use.
    QSize sizeHint() const override;

    // The tables as they stand (row 0 the month names, column 0 the land uses).
    rivulon::NutrientMatrix matrix() const;
    // Manure months marked when the window opened, as (land use, month).
    const std::vector<rivulon::MatrixCell>& manureCells() const { return manureCells_; }

    QTabWidget* TabMx;
    std::array<QWidget*, 2> GridMx{};  // Tabulex GridEditable controls
    QPushButton* cmdAppend;
    QPushButton* cmdLoadData;
    QPushButton* cmdUseMatrixData;
    QPushButton* CmdClose;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void showMatrix(const rivulon::NutrientMatrix& matrix);

    rivulon::ui::WindowHost& host_;
    rivulon::WatershedSetup watershed_;
    rivulon::NutrientSetup nutrients_;
    std::vector<rivulon::MatrixCell> manureCells_;
};
