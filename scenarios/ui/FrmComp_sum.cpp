// Sum mode of the comparison window: the weights grid and the weighted sum
// of sub-basin results files.
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>

#include "analysis/result_file.h"
#include "analysis/result_tables.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "engine/result_files.h"
#include "gridcontrol/grid_handle.h"
#include "gridcontrol/tabulex_loader.h"
#include "scenarios/sub_basin_sum.h"
#include "scenarios/ui/FrmComp.h"
#include "shell/dialogs.h"
#include "shell/file_lists.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "shell/widgets/cell_edits.h"

using rivulon::ui::qs;
using rivulon::ui::ss;

namespace {

constexpr int kWeightRows = 2 + FrmComp::kMaxFiles;

}  // namespace

void FrmComp::LoadSum() {
    mode_ = QStringLiteral("Sum");
    File1->setPattern(QStringLiteral("Resul*.*"));
    setWindowTitle(QStringLiteral("Add Results for Sub-watersheds"));
    if (!Gridcf) {
        createWeightsGrid();
    }
    if (Gridcf) {
        Gridcf->show();
    } else {
        errorMessage(QStringLiteral("The weighting coefficients cannot be shown: ") +
                     weightsError_);
    }
}

void FrmComp::createWeightsGrid() {
    QString error;
    Gridcf = tabulex::createControl(QStringLiteral("GridEditable"), List1->parentWidget(), &error);
    if (!Gridcf) {
        weightsError_ = error;
        return;
    }
    Gridcf->setObjectName(QStringLiteral("Gridcf"));
    Gridcf->setToolTip(
        QStringLiteral("These weighting coefficients are used to adjust "
                       "(multiply x) results for sub-basins."));
    tabulex::GridHandle grid(Gridcf);
    grid.setCols(1);
    grid.setFixedCols(0);
    grid.setRows(kWeightRows);
    grid.setFixedRows(2);
    grid.setTextMatrix(0, 0, QStringLiteral("Coefficient"));
    grid.setTextMatrix(1, 0, QStringLiteral("for sub-basins"));
    for (int r = 2; r < kWeightRows; ++r) {
        grid.setTextMatrix(r, 0, QStringLiteral("1"));
    }
    // The weights rows are lower than the heading; the grid is exactly as
    // tall as its rows, so that no scroll bar hides a weight.
    const int heading = grid.rowHeight(0);
    for (int r = 2; r < kWeightRows; ++r) {
        grid.setRowHeight(r, heading * 4 / 5);
    }
    grid.setRowHeight(1, grid.rowHeight(1) * 3 / 2);
    const int height = heading * 14 / 5 + FrmComp::kMaxFiles * grid.rowHeight(2);
    const int width = std::max(grid.colWidth(0), 1500);
    grid.setColWidth(0, width);
    grid.setScrollBars(0);
    Gridcf->setFixedSize(rivulon::ui::twipsToPixels(width) + 4,
                         rivulon::ui::twipsToPixels(height) + 4);
    chosenHolder_->addWidget(Gridcf, 0, Qt::AlignTop);
}

float FrmComp::weight(int k) const {
    if (!Gridcf) {
        throw std::runtime_error("The weighting coefficients cannot be shown: " +
                                 ss(weightsError_));
    }
    const QString text = tabulex::GridHandle(Gridcf).textMatrix(k + 2, 0).trimmed();
    // Read as every typed number is: "1,500" is not 1500.
    float w = 0;
    const bool ok = rivulon::parseReal(ss(text), w);
    if (!ok || !std::isfinite(w)) {
        throw std::runtime_error("The coefficient of file " + std::to_string(k + 1) + " (\"" +
                                 ss(text) + "\") is not a number.");
    }
    return w;
}

void FrmComp::setWeight(int k, const QString& text) {
    if (Gridcf) {
        tabulex::GridHandle(Gridcf).setTextMatrix(k + 2, 0, text);
    }
}

void FrmComp::sumFiles(const QStringList& names) {
    // A coefficient typed and not confirmed is the one used.
    rivulon::ui::endCellEdits(this);
    std::vector<float> weights;
    QStringList paths;
    try {
        for (int k = 0; k < names.size(); ++k) {
            weights.push_back(weight(k));
            paths << pathOf(names[k]);
        }
    } catch (const std::exception& e) {
        errorMessage(qs(e.what()));
        return;
    }
    SumResults(paths, weights);
}

bool FrmComp::SumResults(const QStringList& paths, const std::vector<float>& weights) {
    const int count = static_cast<int>(std::min<qsizetype>(paths.size(), kMaxFiles));
    if (count == 0 || weights.size() < static_cast<std::size_t>(count)) {
        return false;
    }
    auto nameOf = [&paths](int k) { return QFileInfo(paths[k]).fileName(); };
    std::vector<rivulon::ResultSet> files;
    rivulon::ModelState combined;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QString failure;
        // Every file is read before any is added: one that cannot be read
        // stops the sum before anything is summed or written.
        for (int k = 0; k < count && failure.isEmpty(); ++k) {
            try {
                files.push_back(rivulon::readResultsFile(ss(paths[k])));
            } catch (const std::exception& e) {
                failure = QStringLiteral("File %1: %2 cannot be read: %3")
                              .arg(k + 1)
                              .arg(nameOf(k), qs(e.what()));
            }
        }
        if (failure.isEmpty()) {
            try {
                rivulon::SubBasinSum sum;
                for (int k = 0; k < count; ++k) {
                    sum.add(files[static_cast<std::size_t>(k)], ss(nameOf(k)), weights[k]);
                }
                combined = sum.combined();
            } catch (const std::exception& e) {
                failure = qs(e.what());
            }
        }
        QApplication::restoreOverrideCursor();
        if (!failure.isEmpty()) {
            errorMessage(failure + QStringLiteral("\nNothing was summed or saved."));
            return false;
        }
    }

    // Each sub-basin's monthly table on its tab.
    showTabsPage(count);
    Label3->setText(
        QStringLiteral("Click the next button to view the sum of results of subwatersheds. >>>"));
    const bool organicCarbon = host_.session().state.options.organicCarbonMode;
    for (int k = 0; k < count; ++k) {
        TabData->setTabText(k, QStringLiteral("%1: %2").arg(k + 1).arg(nameOf(k)));
        const rivulon::MonthlyTable table =
            rivulon::buildMonthlyTable(files[static_cast<std::size_t>(k)], 2, organicCarbon);
        Grid1[k]->setCells(table.grid);
        Grid1[k]->fitColumnsToText(1000);
    }
    Text2->setText(QStringLiteral("Rows=%1").arg(Grid1[0]->rows()));
    Text3->setText(QStringLiteral("Cols=%1").arg(Grid1[0]->cols()));
    CmdPlot->setText(QStringLiteral("Show the Sum"));

    const QString path = rivulon::ui::dialogs().saveFile(
        this, QStringLiteral("Save simulation results"), host_.session().outputFolder(),
        QStringLiteral("Results.dat"), QStringLiteral("dat"));
    if (path.isEmpty()) {
        CmdPlot->setEnabled(false);
        return false;
    }
    try {
        rivulon::writeFileAtomically(ss(path), rivulon::resultsFileText(combined));
    } catch (const std::exception& e) {
        errorMessage(QStringLiteral("The sum was not saved: ") + qs(e.what()));
        CmdPlot->setEnabled(false);
        return false;
    }
    rivulon::ui::showSaved(this, path);
    savedName_ = path;
    CmdPlot->setEnabled(true);
    return true;
}
