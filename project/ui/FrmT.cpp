#include "project/ui/FrmT.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "analysis/value_format.h"
#include "common/list_reader.h"
#include "common/number_format.h"
#include "common/read_error.h"
#include "project/transport_editing.h"
#include "project/ui/GridCellEdit.h"
#include "project/ui/nutrient_editor_service.h"
#include "shell/dialogs.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/widgets/cell_edits.h"

using rivulon::ui::dialogs;
using rivulon::ui::errorBox;
using rivulon::ui::warnBox;

namespace {

constexpr tabulex::ColorValue kChangedRed = 255;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

const char* const kLabels[10] = {"Number of Rural Land Use Type:",
                                 "Number of Urban Land Use Type:",
                                 "Recession Coefficient of the River:",
                                 "Seepage Coefficient of the Basin:",
                                 "Initial Unsaturated Storage:",
                                 "Initial Saturated Storage:",
                                 "Initial Snow Cover (cm):",
                                 "Sediment Delivery Ratio (SDR):",
                                 "Unsaturated Water Capacity:",
                                 "Antecedent Rain+Melt For Day -1 to -5:"};

rivulon::ui::FlexGrid* makeGrid(QWidget* parent, const char* name, int cols, int fixedCols) {
    auto* grid = new rivulon::ui::FlexGrid(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setCols(cols);
    grid->setRows(2);
    grid->setFixedRows(1);
    grid->setFixedCols(fixedCols);
    return grid;
}

}  // namespace

void FrmT::openEdit(rivulon::ui::WindowHost& host) {
    if (QWidget* open = host.findWindow(kKind)) {
        host.showChild(open);
        return;
    }
    auto* window = qobject_cast<FrmT*>(host.openWindow(kKind));
    if (!window) {
        return;
    }
    if (window->TransOpen()) {
        host.showChild(window);
    } else {
        window->close();  // nothing to show
    }
}

FrmT::FrmT(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("FrmT");
    setWindowTitle(QStringLiteral("View & Edit Transprt.dat"));

    TabT = new QTabWidget(this);
    TabT->setObjectName("TabT");

    // Initalization page: the fourteen single values in file order.
    auto* page0 = new QWidget;
    auto* boxes = new QGridLayout(page0);
    for (int i = 0; i < 14; ++i) {
        Text1[i] = new QLineEdit(page0);
        Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        Text1[i]->setFixedWidth(rivulon::ui::twipsToPixels(1100));
        Text1[i]->installEventFilter(this);
        connect(Text1[i], &QLineEdit::textEdited, this, [this] { changed(); });
    }
    for (int i = 0; i < 10; ++i) {
        Label1[i] = new QLabel(QString::fromLatin1(kLabels[i]), page0);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        boxes->addWidget(Label1[i], i, 1, Qt::AlignRight);
    }
    for (int i = 0; i < 9; ++i) {
        boxes->addWidget(Text1[i], i, 2);
    }
    auto* antecedent = new QHBoxLayout;
    for (int i = 9; i < 14; ++i) {
        antecedent->addWidget(Text1[i]);
    }
    antecedent->addStretch();
    boxes->addLayout(antecedent, 9, 2, 1, 2);
    cmdUpdateSDR = new QPushButton(QStringLiteral("Calculate SDR Using Area ->"), page0);
    cmdUpdateSDR->setObjectName("cmdUpdateSDR");
    boxes->addWidget(cmdUpdateSDR, 7, 0);
    boxes->setColumnStretch(3, 1);
    boxes->setRowStretch(10, 1);
    connect(cmdUpdateSDR, &QPushButton::clicked, this, &FrmT::cmdUpdateSDR_Click);

    // Evapotranspiration page: months April..March.
    auto* page1 = new QWidget;
    auto* monthLayout = new QVBoxLayout(page1);
    TGrid1 = makeGrid(page1, "TGrid1", 5, 1);
    TGrid1->setRows(13);
    const char* const monthHeads[5] = {"Month", "ET Cover Coef.", "Day Length (hrs)",
                                       "Growing Season ?", "Erosivity Coef."};
    for (int c = 0; c < 5; ++c) {
        TGrid1->setTextMatrix(0, c, QString::fromLatin1(monthHeads[c]));
        TGrid1->setColWidth(c, c == 0 ? 1000 : 1900);
    }
    monthLayout->addWidget(TGrid1);

    // Land Use Type page: the land uses beside their shares of the total area.
    auto* page2 = new QWidget;
    auto* landLayout = new QVBoxLayout(page2);
    auto* gridsRow = new QHBoxLayout;
    TGrid2[0] = makeGrid(page2, "TGrid2_0", 4, 0);
    const char* const landHeads[4] = {"Land Use Type", "Area (ha)", "Soil Curve #", "K*LS*C*P"};
    for (int c = 0; c < 4; ++c) {
        TGrid2[0]->setTextMatrix(0, c, QString::fromLatin1(landHeads[c]));
        static const int widths[4] = {3700, 1200, 1300, 1200};
        TGrid2[0]->setColWidth(c, widths[c]);
    }
    TGrid2[1] = makeGrid(page2, "TGrid2_1", 2, 0);
    TGrid2[1]->setTextMatrix(0, 0, QStringLiteral("%Tot. Area"));
    TGrid2[1]->setTextMatrix(0, 1, QStringLiteral("New %"));
    TGrid2[1]->setColWidth(0, 1100);
    TGrid2[1]->setColWidth(1, 1100);
    TGrid2[1]->setFixedWidth(rivulon::ui::twipsToPixels(2200) + 24);
    gridsRow->addWidget(TGrid2[0], 1);
    gridsRow->addWidget(TGrid2[1]);
    landLayout->addLayout(gridsRow);
    auto* pctRow = new QHBoxLayout;
    auto* pctLabel =
        new QLabel(QStringLiteral("New % of the total area for the current land use:"));
    txtPct = new QLineEdit(page2);
    txtPct->setObjectName("txtPct");
    txtPct->setFixedWidth(rivulon::ui::twipsToPixels(1100));
    txtPct->installEventFilter(this);
    cmdSet = new QPushButton(QStringLiteral("Set Land Use Changes"), page2);
    cmdSet->setObjectName("cmdSet");
    pctRow->addWidget(pctLabel);
    pctRow->addWidget(txtPct);
    pctRow->addStretch();
    pctRow->addWidget(cmdSet);
    landLayout->addLayout(pctRow);
    connect(cmdSet, &QPushButton::clicked, this, &FrmT::cmdSet_Click);
    // A key typed on the share table goes to the percentage box.
    connect(TGrid2[1], &tabulex::TableGrid::charTyped, this, [this](int code, const QString& text) {
        if (code > 32) {
            txtPct->setText(text);
            txtPct->setFocus();
            txtPct->setCursorPosition(1);
            pctPending_ = true;
        }
    });
    connect(txtPct, &QLineEdit::textEdited, this, [this] { pctPending_ = true; });

    TabT->addTab(page0, QStringLiteral("Initalization"));
    TabT->addTab(page1, QStringLiteral("Evapotranspiration"));
    TabT->addTab(page2, QStringLiteral("Land Use Type"));

    for (int i = 1; i <= 2; ++i) {
        TxtCell[i] = new QLineEdit(this);
        TxtCell[i]->setObjectName(QStringLiteral("TxtCell_%1").arg(i));
    }
    monthEdit_ = new GridCellEdit(TGrid1, TxtCell[1]);
    landUseEdit_ = new GridCellEdit(TGrid2[0], TxtCell[2]);
    connect(monthEdit_, &GridCellEdit::committed, this, [this] { changed(); });
    connect(landUseEdit_, &GridCellEdit::committed, this, [this](int, int col) {
        changed();
        // New areas make new shares: the button then moves only what the
        // user changes after this.
        if (col == 1) {
            fillShares();
        }
    });
    // A value typed on one page is kept when the user turns to another.
    connect(TabT, &QTabWidget::currentChanged, this, [this] { endEdits(); });

    cmdSaveT = new QPushButton(QStringLiteral("Save Changes"), this);
    cmdSaveT->setObjectName("cmdSaveT");
    CmdExit = new QPushButton(QStringLiteral("Exit"), this);
    CmdExit->setObjectName("CmdExit");
    connect(cmdSaveT, &QPushButton::clicked, this, [this] { cmdSaveT_Click(); });
    connect(CmdExit, &QPushButton::clicked, this, &FrmT::CmdExit_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSaveT);
    buttons->addWidget(CmdExit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabT);
    layout->addLayout(buttons);
    resize(rivulon::ui::twipsSize(10200, 6600));
}

void FrmT::createNewFiles(rivulon::ui::WindowHost& host) {
    const QString latitude =
        host.CheckInputBox(QString::fromUtf8("What is the latitude (<= 66°) of the watershed ?"),
                           QStringLiteral("Watershed Latitude"), 67, 0, QStringLiteral("36"));
    if (latitude.isEmpty()) {
        return;
    }
    const QString rural = host.CheckInputBox(
        QStringLiteral("How many rural land uses will you have for your project ?"),
        QStringLiteral("Rural Land Uses"), 100, 75, QStringLiteral("1"));
    if (rural.isEmpty()) {
        return;
    }
    const QString urban = host.CheckInputBox(
        QStringLiteral("How many urban land uses will you have for your project ?"),
        QStringLiteral("Urban Land Uses"), 100, 75, QStringLiteral("1"));
    if (urban.isEmpty()) {
        return;
    }
    float lat = 0, ruralCount = 0, urbanCount = 0;
    rivulon::parseReal(latitude.toStdString(), lat);
    rivulon::parseReal(rural.toStdString(), ruralCount);
    rivulon::parseReal(urban.toStdString(), urbanCount);
    if (auto* editor = qobject_cast<FrmT*>(host.openWindow(kKind))) {
        editor->createNew(lat, static_cast<int>(rivulon::roundHalfEven(ruralCount)),
                          static_cast<int>(rivulon::roundHalfEven(urbanCount)));
    }
}

void FrmT::createNew(float latitude, int ruralCount, int urbanCount) {
    if (ruralCount < 0 || urbanCount < 0 || ruralCount + urbanCount < 1) {
        if (!loaded_) {
            close();
        }
        return;
    }
    endEdits();
    if (!settleUnsaved(false)) {
        return;
    }
    const auto names = rivulon::monthNamesOrDefault(host_.session().state.watershed);
    showTable(rivulon::newTransportTable(latitude, ruralCount, urbanCount, names));
    setWindowTitle(QStringLiteral("View & Edit Transprt.dat"));
    createNew_ = true;
    fillShares();
    host_.showChild(this);
}

bool FrmT::TransOpen(const QString& path) {
    QString file = path;
    if (file.isEmpty()) {
        const rivulon::ProjectSettings& s = host_.session().settings;
        const QString start = !s.transportPath.empty() ? q(s.transportPath) : q(s.inputFolder);
        file = dialogs().openFile(this, QStringLiteral("Open a transport file"), start,
                                  QStringLiteral("Data Files(*.dat);;All Files (*.*)"));
        if (file.isEmpty()) {
            return false;
        }
    }
    rivulon::WatershedSetup watershed;
    try {
        rivulon::readTransportFile(file.toStdString(), watershed);
    } catch (const std::exception& e) {
        // A half-read file is never shown: a later save would write it over the good one.
        errorBox(this,
                 QStringLiteral("The transport file could not be read; the editor was left as it "
                                "was.\n\n%1")
                     .arg(QString::fromStdString(e.what())));
        return false;
    }
    endEdits();
    if (loaded_ && !settleUnsaved(false)) {
        return false;
    }
    showTable(rivulon::transportTableFrom(watershed));
    setWindowTitle(QStringLiteral("Edit ") + QFileInfo(file).fileName());
    createNew_ = false;
    fillShares();
    return true;
}

void FrmT::showTable(const rivulon::TransportTable& t) {
    const std::string* values[14] = {&t.ruralCount, &t.urbanCount};
    for (int i = 0; i < 7; ++i) {
        values[2 + i] = &t.basin[i];
    }
    for (int i = 0; i < 5; ++i) {
        values[9 + i] = &t.antecedent[i];
    }
    for (int i = 0; i < 14; ++i) {
        Text1[i]->setText(q(*values[i]));
        markBox(Text1[i], false);
    }
    TGrid1->setRedraw(false);
    for (int m = 0; m < 12; ++m) {
        for (int c = 0; c < 5; ++c) {
            TGrid1->setTextMatrix(m + 1, c, q(t.months[m][c]));
            TGrid1->setRow(m + 1);
            TGrid1->setCol(c);
            TGrid1->setCellForeColor(0);
        }
    }
    TGrid1->setRow(1);
    TGrid1->setCol(1);
    for (int c = 0; c < 5; ++c)
        TGrid1->fitColumnToText(c, c == 0 ? 1000 : 1900);
    TGrid1->setRedraw(true);

    rivulon::ui::FlexGrid* g = TGrid2[0];
    g->setRedraw(false);
    g->setRows(1);  // drops the change marks of the last file
    g->setRows(static_cast<int>(t.landUses.size()) + 1);
    for (std::size_t k = 0; k < t.landUses.size(); ++k) {
        for (int c = 0; c < 4; ++c) {
            g->setTextMatrix(static_cast<int>(k) + 1, c, q(t.landUses[k][c]));
        }
    }
    static const int widths[4] = {3700, 1200, 1300, 1200};
    for (int c = 0; c < 4; ++c)
        g->fitColumnToText(c, widths[c]);
    g->setRedraw(true);
    loaded_ = true;
    saved_ = false;
}

void FrmT::fillShares() {
    std::vector<std::string> areas;
    const int n = TGrid2[0]->rows() - 1;
    for (int k = 1; k <= n; ++k) {
        areas.push_back(TGrid2[0]->textMatrix(k, 1).toStdString());
    }
    const rivulon::AreaShares shares = rivulon::areaShares(areas);
    totalArea_ = shares.totalArea;
    rivulon::ui::FlexGrid* g = TGrid2[1];
    const int row = g->row();
    g->setRows(1);
    g->setRows(n + 2);
    shownPct_.assign(static_cast<std::size_t>(n), QString());
    pctPending_ = false;
    if (shares.percent.empty()) {
        return;  // nothing to share out
    }
    double sum = 0;
    for (int k = 1; k <= n; ++k) {
        const float pct = shares.percent[static_cast<std::size_t>(k - 1)];
        const QString text = q(rivulon::formatPattern(pct, "0.0000"));
        g->setTextMatrix(k, 0, text);
        g->setTextMatrix(k, 1, text);
        shownPct_[static_cast<std::size_t>(k - 1)] = text;
        sum += pct;
    }
    if (row >= 1 && row <= n) {
        g->setRow(row);
    }
    g->setTextMatrix(n + 1, 0, QStringLiteral("Total:"));
    g->setTextMatrix(n + 1, 1, q(rivulon::formatPattern(sum, "0.00")));
    g->fitColumnToText(0, 1100);
    g->fitColumnToText(1, 1100);
    g->setFixedWidth(rivulon::ui::twipsToPixels(g->colWidth(0) + g->colWidth(1)) + 24);
}

void FrmT::txtPct_Enter() {
    rivulon::ui::FlexGrid* g = TGrid2[1];
    const int n = g->rows() - 2;
    const int row = g->row();
    if (row < 1 || row > n) {
        return;
    }
    pctPending_ = false;
    const auto value = static_cast<float>(rivulon::leadingNumber(txtPct->text().toStdString()));
    g->setTextMatrix(row, 1, q(rivulon::formatReal(value)));
    double sum = 0;
    for (int k = 1; k <= n; ++k) {
        sum += static_cast<float>(rivulon::leadingNumber(g->textMatrix(k, 1).toStdString()));
    }
    g->setTextMatrix(n + 1, 1, q(rivulon::formatPattern(sum, "0.00")));
}

void FrmT::cmdSet_Click() {
    endEdits();
    const int n = TGrid2[0]->rows() - 1;
    if (TGrid2[1]->rows() < n + 1 || shownPct_.size() != static_cast<std::size_t>(n)) {
        return;
    }
    // Only the shares the user changed since the areas were last shared out
    // move their areas; the others keep the areas as typed.
    std::vector<std::string> newPercent;
    std::vector<bool> moved;
    for (int k = 1; k <= n; ++k) {
        const QString text = TGrid2[1]->textMatrix(k, 1);
        newPercent.push_back(text.toStdString());
        moved.push_back(text != shownPct_[static_cast<std::size_t>(k - 1)]);
    }
    if (std::find(moved.begin(), moved.end(), true) == moved.end()) {
        return;
    }
    const std::vector<float> areas = rivulon::redistributeAreas(totalArea_, newPercent);
    const int row = TGrid2[0]->row(), col = TGrid2[0]->col();
    for (int k = 1; k <= n; ++k) {
        if (!moved[static_cast<std::size_t>(k - 1)]) {
            continue;
        }
        TGrid2[0]->setTextMatrix(
            k, 1, q(rivulon::formatPattern(areas[static_cast<std::size_t>(k - 1)], "0.00")));
        TGrid2[0]->setRow(k);
        TGrid2[0]->setCol(1);
        TGrid2[0]->setCellForeColor(kChangedRed);
    }
    TGrid2[0]->setRow(row);
    TGrid2[0]->setCol(col);
    changed();
    fillShares();
}

void FrmT::cmdUpdateSDR_Click() {
    endEdits();
    std::vector<std::string> areas;
    for (int k = 1; k < TGrid2[0]->rows(); ++k) {
        areas.push_back(TGrid2[0]->textMatrix(k, 1).toStdString());
    }
    const std::optional<float> sdr = rivulon::sdrFromAreas(areas);
    if (!sdr) {
        warnBox(this, QStringLiteral("Input Error for Calculating SDR."));
        return;
    }
    Text1[7]->setText(q(rivulon::formatPattern(*sdr, ".0000")));
    markBox(Text1[7], true);
    changed();
}

rivulon::TransportTable FrmT::table() const {
    rivulon::TransportTable t;
    const auto box = [this](int i) { return Text1[i]->text().toStdString(); };
    t.ruralCount = box(0);
    t.urbanCount = box(1);
    for (int i = 0; i < 7; ++i) {
        t.basin[i] = box(2 + i);
    }
    for (int i = 0; i < 5; ++i) {
        t.antecedent[i] = box(9 + i);
    }
    for (int m = 0; m < 12; ++m) {
        for (int c = 0; c < 5; ++c) {
            t.months[m][c] = TGrid1->textMatrix(m + 1, c).toStdString();
        }
    }
    for (int k = 1; k < TGrid2[0]->rows(); ++k) {
        std::array<std::string, 4> row;
        for (int c = 0; c < 4; ++c) {
            row[c] = TGrid2[0]->textMatrix(k, c).toStdString();
        }
        t.landUses.push_back(std::move(row));
    }
    return t;
}

bool FrmT::cmdSaveT_Click() {
    endEdits();
    const rivulon::TransportTable t = table();
    if (const auto problem = rivulon::checkTransportTable(t)) {
        warnBox(this, q(problem->message));
        // Show the user where.
        TabT->setCurrentIndex(problem->table);
        if (problem->table == 0) {
            Text1[problem->row]->setFocus();
        } else {
            rivulon::ui::FlexGrid* g = problem->table == 1 ? TGrid1 : TGrid2[0];
            g->setRow(problem->row);
            g->setCol(problem->col);
            g->ensureCurrentVisible();
        }
        return false;
    }
    const QString path = dialogs().saveFile(this, QStringLiteral("Save the transport file"),
                                            q(host_.session().settings.inputFolder), QString(),
                                            QStringLiteral("dat"));
    if (path.isEmpty()) {
        return false;
    }
    try {
        rivulon::writeTransportFile(path.toStdString(), t);
    } catch (const std::exception& e) {
        errorBox(this, QStringLiteral("The transport file was not saved.\n\n%1")
                           .arg(QString::fromStdString(e.what())));
        return false;
    }
    rivulon::ui::showSaved(this, path);
    saved_ = true;
    return true;
}

void FrmT::CmdExit_Click() {
    close();
}

bool FrmT::settleUnsaved(bool keepOpenAfterSave) {
    if (!loaded_ || saved_) {
        return true;
    }
    if (!dialogs().askYesNo(this, QStringLiteral("Save changes?"),
                            QStringLiteral("Save changes?"))) {
        return true;
    }
    const bool ok = cmdSaveT_Click();
    return ok && !keepOpenAfterSave;
}

void FrmT::closeEvent(QCloseEvent* event) {
    endEdits();
    // Yes saves and keeps the window open, so the user sees the save happen.
    if (!settleUnsaved(true)) {
        event->ignore();
        return;
    }
    if (loaded_ && createNew_) {
        offerNutrientFile();
    }
    event->accept();
}

void FrmT::offerNutrientFile() {
    if (!dialogs().askYesNo(this, QStringLiteral("Do you want to create a nutrient input file?"),
                            QStringLiteral("Create New Nutrient File?"))) {
        return;
    }
    const auto count = [this](int i) {
        const double v =
            rivulon::roundHalfEven(rivulon::leadingNumber(Text1[i]->text().toStdString()));
        return static_cast<int>(v);
    };
    QStringList names;
    for (int k = 1; k < TGrid2[0]->rows(); ++k) {
        names << TGrid2[0]->textMatrix(k, 0);
    }
    QWidget* window = host_.openWindow(rivulon::ui::NutrientEditorService::kProvider);
    auto* editor = dynamic_cast<rivulon::ui::NutrientEditorService*>(window);
    if (!editor) {
        return;  // every build registers the nutrient editor
    }
    editor->createNew(count(0), count(1), names);
    host_.showChild(window);
}

void FrmT::endEdits() {
    rivulon::ui::endCellEdits(this);
    if (pctPending_) {
        txtPct_Enter();
    }
}

void FrmT::markBox(QLineEdit* box, bool red) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, red ? QColor(Qt::red) : QColor(Qt::black));
    box->setPalette(palette);
}

bool FrmT::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtPct && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            txtPct_Enter();
            return true;
        }
        return false;
    }
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box || std::find(Text1.begin(), Text1.end(), box) == Text1.end()) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::FocusIn:
            boxTextOnEntry_ = box->text();
            break;
        case QEvent::FocusOut:
            if (box->text() != boxTextOnEntry_) {
                markBox(box, true);
            }
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape) {
                box->setText(boxTextOnEntry_);
                return true;
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (box->text() != boxTextOnEntry_) {
                    markBox(box, true);
                }
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

namespace {

const rivulon::ui::WindowCommand kFrmTCommands[] = {
    {.id = "MnuCreateNew",
     .caption = "Create &Transport/Nutrient Files",
     .menu = "MnuFile",
     .after = "mnuseparator",
     .run = &FrmT::createNewFiles},
    {.id = "MnuEditTransport",
     .caption = "Edit &Transport Data",
     .menu = "MnuEdit",
     .after = "MnuPopRate",
     .run = &FrmT::openEdit},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmT::registration{kKind, &rivulon::ui::makeWindow<FrmT>,
                                                         true, 61, kFrmTCommands};
