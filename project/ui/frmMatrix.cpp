#include "project/ui/frmMatrix.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "analysis/grid_copy.h"
#include "common/text_grid.h"
#include "gridcontrol/grid_handle.h"
#include "gridcontrol/tabulex_loader.h"
#include "project/nutrient_file.h"
#include "project/startup.h"
#include "project/transport_file.h"
#include "shell/dialogs.h"
#include "shell/edit_target.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "shell/widgets/cell_edits.h"

using rivulon::ui::dialogs;
using rivulon::ui::errorBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

const QString kTitle = QStringLiteral("Nutrient Concentration Matrix");
const QString kFilter = QStringLiteral("Text File (*.txt *.dat);;All (*.*)");

// Holds one GridEditable of the library and copies its selected block for
// the Edit menu (the control itself knows nothing of the program's menus).
class MatrixGridBox : public QWidget, public rivulon::ui::EditTarget {
  public:
    MatrixGridBox(QWidget* grid, QWidget* parent) : QWidget(parent), grid_(grid) {
        grid->setParent(this);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(grid);
    }
    bool canCut() const override { return false; }
    bool canPaste() const override { return false; }
    void cut() override {}
    void paste() override {}
    void copy() override {
        tabulex::GridHandle g(grid_);
        rivulon::TextGrid cells(g.rows(), g.cols());
        for (int r = 0; r < g.rows(); ++r) {
            for (int c = 0; c < g.cols(); ++c)
                cells.set(r, c, ss(g.textMatrix(r, c)));
        }
        // The grid's selection: the current cell to the selection's end.
        rivulon::GridSelection selection;
        selection.mouseDown(g.row(), g.col());
        selection.mouseUp(g.rowSel(), g.colSel());
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->clear();
        clipboard->setText(qs(rivulon::copyText(cells, selection)));
    }

  private:
    QWidget* grid_;
};

}  // namespace

frmMatrix::frmMatrix(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("frmMatrix");
    setWindowTitle(kTitle);
    TabMx = new QTabWidget(this);
    TabMx->setObjectName("TabMx");
    static const char* const pages[2] = {"N (mg/l, urban:kg/ha-day)", "P (mg/l, urban:kg/ha-day)"};
    for (int i = 0; i < 2; ++i) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        QString error;
        QWidget* grid = tabulex::createControl(QStringLiteral("GridEditable"), page, &error);
        if (grid) {
            grid->setObjectName(QStringLiteral("GridMx_%1").arg(i));
            GridMx[i] = grid;
            layout->addWidget(new MatrixGridBox(grid, page), 1);
        } else {
            auto* missing = new QLabel(error, page);
            missing->setWordWrap(true);
            layout->addWidget(missing, 1);
        }
        TabMx->addTab(page, QString::fromLatin1(pages[i]));
    }
    // A value typed on one page is kept when the user turns to the other.
    connect(TabMx, &QTabWidget::currentChanged, this, [this] { rivulon::ui::endCellEdits(this); });
    auto button = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cmdAppend = button("&Append Data to Nutrient File", "cmdAppend");
    cmdLoadData = button("&Load Saved Data-Matrix", "cmdLoadData");
    cmdUseMatrixData = button("&USE Data-Matrix for Simulation", "cmdUseMatrixData");
    CmdClose = button("&Close", "CmdClose");
    connect(cmdAppend, &QPushButton::clicked, this, &frmMatrix::cmdAppend_Click);
    connect(cmdLoadData, &QPushButton::clicked, this, &frmMatrix::cmdLoadData_Click);
    connect(cmdUseMatrixData, &QPushButton::clicked, this, [this] { cmdUseMatrixData_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, &frmMatrix::CmdClose_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAppend);
    buttons->addWidget(cmdLoadData);
    buttons->addWidget(cmdUseMatrixData);
    buttons->addStretch(1);
    buttons->addWidget(CmdClose);
    auto* note = new QLabel(
        QStringLiteral("Months of manure/fertilizer application show their concentrations in red."),
        this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabMx, 1);
    layout->addWidget(note);
    layout->addLayout(buttons);
}

void frmMatrix::open(rivulon::ui::WindowHost& host) {
    // An open window keeps the values the user is working on.
    if (QWidget* open = host.findWindow(kKind)) {
        host.showChild(open);
        return;
    }
    auto* window = dynamic_cast<frmMatrix*>(host.openWindow(kKind));
    if (!window)
        return;
    if (!window->load()) {
        window->close();
        return;
    }
    host.fitFrame(window);
    host.showChild(window);
}

bool frmMatrix::load() {
    if (!GridMx[0] || !GridMx[1]) {
        QString error;
        tabulex::loadFactory(QStringLiteral("GridEditable"), &error);
        errorBox(this, error, kTitle);
        return false;
    }
    const rivulon::ProjectSettings& settings = host_.session().settings;
    rivulon::WatershedSetup ws;
    rivulon::NutrientSetup ns;
    try {
        rivulon::readTransportFile(settings.transportPath, ws);
        rivulon::readNutrientFile(settings.nutrientPath, ws, rivulon::pointSourceYears(settings),
                                  ns);
    } catch (const std::exception& e) {
        errorBox(this, qs(e.what()), kTitle);
        return false;
    }
    watershed_ = std::move(ws);
    nutrients_ = std::move(ns);
    manureCells_.clear();
    showMatrix(rivulon::buildNutrientMatrix(watershed_, nutrients_, &manureCells_));
    // Months of manure application are marked on both pages.
    for (QWidget* grid : GridMx) {
        tabulex::GridHandle g(grid);
        for (const rivulon::MatrixCell& cell : manureCells_)
            g.changeCellForeColor(cell.row, cell.month);
        g.setRow(1);
        g.setCol(1);
    }
    return true;
}

void frmMatrix::showMatrix(const rivulon::NutrientMatrix& matrix) {
    for (int i = 0; i < 2; ++i) {
        const auto& table = i == 0 ? matrix.n : matrix.p;
        tabulex::GridHandle g(GridMx[i]);
        g.set("Redraw", false);
        g.setRows(1);  // drops old cells and their colours
        g.setCols(13);
        g.setRows(int(table.size()));
        const QFontMetrics metrics(GridMx[i]->font());
        int label = 0;
        for (int r = 0; r < int(table.size()); ++r) {
            for (int c = 0; c < 13; ++c)
                g.setTextMatrix(r, c, qs(table[r][c]));
            label = std::max(label, metrics.horizontalAdvance(qs(table[r][0])));
        }
        g.setColWidth(0, std::max(1200, (label + 12) * 15));
        for (int c = 1; c < 13; ++c)
            g.fitColWidth(c, 780);
        g.set("Redraw", true);
    }
}

rivulon::NutrientMatrix frmMatrix::matrix() const {
    rivulon::NutrientMatrix mx;
    for (int i = 0; i < 2; ++i) {
        auto& table = i == 0 ? mx.n : mx.p;
        tabulex::GridHandle g(GridMx[i]);
        table.resize(std::max(g.rows(), 0));
        for (int r = 0; r < g.rows(); ++r) {
            for (int c = 0; c < 13 && c < g.cols(); ++c)
                table[r][c] = ss(g.textMatrix(r, c));
        }
    }
    return mx;
}

void frmMatrix::cmdAppend_Click() {
    rivulon::ui::endCellEdits(this);
    // The file is picked as one to open: appending to a file the user is
    // asked to "replace" would say the opposite of what happens.
    const QString path =
        dialogs().openFile(this, QStringLiteral("Append the data to nutrient file"),
                           qs(host_.session().settings.nutrientPath), kFilter);
    if (path.isEmpty())
        return;
    try {
        rivulon::appendMatrixBlock(ss(path), watershed_, matrix());
        rivulon::ui::showSaved(this, path);
    } catch (const rivulon::MatrixBlockError& e) {
        warnBox(this, qs(e.what()), kTitle);
        if (e.kind() == rivulon::MatrixBlockError::Kind::AlreadyPresent)
            host_.NotepadOpen(path);
    } catch (const std::exception& e) {
        errorBox(this, qs(e.what()), kTitle);
    }
}

void frmMatrix::cmdLoadData_Click() {
    rivulon::ui::endCellEdits(this);
    const QString path =
        dialogs().openFile(this, QStringLiteral("Load saved data from nutrient file"),
                           qs(host_.session().settings.nutrientPath), kFilter);
    if (path.isEmpty())
        return;
    rivulon::NutrientMatrix mx = matrix();
    try {
        rivulon::readMatrixBlock(ss(path), watershed_.landUseCount, mx);
    } catch (const std::exception& e) {
        errorBox(this, qs(e.what()), kTitle);
        return;
    }
    showMatrix(mx);
    manureCells_.clear();
}

bool frmMatrix::cmdUseMatrixData_Click() {
    rivulon::ui::endCellEdits(this);
    Session& session = host_.session();
    rivulon::NutrientSetup ns = nutrients_;
    rivulon::RunOptions options = session.state.options;
    try {
        rivulon::useNutrientMatrix(matrix(), watershed_, ns, options);
    } catch (const std::exception& e) {
        warnBox(this, qs(e.what()), kTitle);
        return false;
    }
    // The run takes every nutrient value from here while the option is on.
    session.state.nutrients = std::move(ns);
    session.state.options.nutrientMatrixInUse = true;
    session.announceOptions();
    return true;
}

QSize frmMatrix::sizeHint() const {
    QSize size = QWidget::sizeHint();
    if (!GridMx[0])
        return size;
    tabulex::GridHandle g(GridMx[0]);
    int width = 0, height = 0;
    for (int c = 0; c < g.cols(); ++c)
        width += g.colWidth(c);
    for (int r = 0; r < g.rows(); ++r)
        height += g.rowHeight(r);
    // The grid, its scroll bars and frame, the tab page's margins, the buttons.
    const int w = rivulon::ui::twipsToPixels(width) + 70;
    const int h = rivulon::ui::twipsToPixels(height) + 120;
    return {std::max(size.width(), w), std::max(size.height(), std::min(h, 700))};
}

void frmMatrix::CmdClose_Click() {
    close();
}

void frmMatrix::closeEvent(QCloseEvent* event) {
    // What was typed is in the tables the next time the window is asked for.
    rivulon::ui::endCellEdits(this);
    QWidget::closeEvent(event);
}

void frmMatrix::matrixCommand(rivulon::ui::WindowHost& host) {
    Session& session = host.session();
    if (!session.switchOptionOff(session.state.options.nutrientMatrixInUse)) {
        open(host);
    }
}

namespace {

const rivulon::ui::WindowCommand kfrmMatrixCommands[] = {
    {.id = "MnuSetNutrMatrix",
     .caption = "Set &Monthly Nutrient Data (Data Matrix)",
     .menu = "MnuOption",
     .after = "MnuSeepage",
     .run = &frmMatrix::matrixCommand,
     .checkedWhen = +[](const Session& s) { return s.state.options.nutrientMatrixInUse; }},
};

}  // namespace

const rivulon::ui::WindowRegistration frmMatrix::registration{
    kKind, &rivulon::ui::makeWindow<frmMatrix>, true, 141, kfrmMatrixCommands};
