#include "analysis/ui/FrmReGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>
#include <memory>

#include "analysis/regroup.h"
#include "analysis/result_file.h"
#include "analysis/ui/pie_chart_view.h"
#include "shell/dialogs.h"
#include "shell/jobs.h"
#include "shell/qt_text.h"
#include "shell/session.h"
#include "shell/twips.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/widgets/grid_export.h"

using rivulon::ui::errorBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

const QString kCaption = QStringLiteral("Regroup land use types");
const QString kDesignTitle =
    QStringLiteral("Mean Annual Output from Different Sources (GW=Groundwater,");

}  // namespace

void FrmReGroup::openRegroup(rivulon::ui::WindowHost& host) {
    auto* window = qobject_cast<FrmReGroup*>(host.openWindow(kKind));
    if (!window) {
        return;
    }
    host.showChild(window);
    // An open window keeps its grouping; only a new one asks for a file.
    if (window->resultsFile().isEmpty() && !window->tableShown()) {
        window->Form_Load();
    }
}

std::int16_t FrmReGroup::MyGridCols() {
    return rivulon::kRegroupCols;
}

std::int16_t FrmReGroup::MyGridRows() {
    return rivulon::kRegroupRows;
}

FrmReGroup::FrmReGroup(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName(QStringLiteral("FrmReGroup"));
    setWindowTitle(kCaption);
    buildControls();
    ChkOC->setChecked(host_.session().state.options.organicCarbonMode);
    ChkOC_Click();
}

FrmReGroup::~FrmReGroup() = default;

void FrmReGroup::buildControls() {
    auto button = [this](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };

    lblTitle = new QLabel(kDesignTitle, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    ListLU = new QListWidget(this);
    ListLU->setObjectName(QStringLiteral("ListLU"));
    ListLU->setMinimumWidth(rivulon::ui::twipsToPixels(3000));
    ReGrid = new rivulon::ui::FlexGrid(this);
    ReGrid->setObjectName(QStringLiteral("ReGrid"));
    ReGrid->setCells(rivulon::TextGrid(rivulon::kRegroupRows, rivulon::kRegroupCols));
    ReGrid->setBackColorBkg(tabulex::kSystemButtonFace);
    ReGrid->hide();

    auto* groups = new QGridLayout;
    groups->setHorizontalSpacing(4);
    const auto& labels = rivulon::regroupDesignLabels();
    for (int g = 0; g < kGroups; ++g) {
        Image1[g] = new QToolButton(this);
        Image1[g]->setObjectName(QStringLiteral("Image1_%1").arg(g));
        Image1[g]->setArrowType(Qt::RightArrow);
        Image1[g]->setToolTip(QStringLiteral("Add the selected land use to this group"));
        Image2[g] = new QToolButton(this);
        Image2[g]->setObjectName(QStringLiteral("Image2_%1").arg(g));
        Image2[g]->setArrowType(Qt::LeftArrow);
        Image2[g]->setToolTip(QStringLiteral("Return the shown land use to the list"));
        Label1[g] = new QLabel(qs(labels[g]), this);
        Label1[g]->setObjectName(QStringLiteral("Label1_%1").arg(g));
        Label1[g]->setToolTip(QStringLiteral("Click to edit the label"));
        Label1[g]->setCursor(Qt::IBeamCursor);
        Label1[g]->setMinimumWidth(rivulon::ui::twipsToPixels(1300));
        Label1[g]->installEventFilter(this);
        CboGroup[g] = new QComboBox(this);
        CboGroup[g]->setObjectName(QStringLiteral("CboGroup_%1").arg(g));
        CboGroup[g]->setMinimumWidth(rivulon::ui::twipsToPixels(2400));
        groups->addWidget(Image1[g], g, 0);
        groups->addWidget(Image2[g], g, 1);
        groups->addWidget(Label1[g], g, 2);
        groups->addWidget(CboGroup[g], g, 3);
        connect(Image1[g], &QToolButton::clicked, this, [this, g] { Image1_Click(g); });
        connect(Image2[g], &QToolButton::clicked, this, [this, g] { Image2_Click(g); });
    }
    groups->setRowStretch(kGroups, 1);

    Txtlabel = new QLineEdit(this);
    Txtlabel->setObjectName(QStringLiteral("Txtlabel"));
    Txtlabel->setPlaceholderText(QStringLiteral("Edit label"));
    Txtlabel->hide();
    Txtlabel->installEventFilter(this);
    connect(Txtlabel, &QLineEdit::returnPressed, this, [this] { closeLabelEditor(true); });

    cmdCalculate = button(QStringLiteral("Calculate by new groups"), "cmdCalculate");
    cmdViewPie = button(QStringLiteral("View Pie Chart"), "cmdViewPie");
    cmdSave = button(QStringLiteral("Save table"), "cmdSave");
    cmdLoad = button(QStringLiteral("Load table"), "cmdLoad");
    cmdPrint = button(QStringLiteral("Print table"), "cmdPrint");
    cmdClose = button(QStringLiteral("Close"), "cmdClose");
    CmdDefault = button(QStringLiteral("Try default"), "CmdDefault");
    cmdAdd = button(
        QStringLiteral("Click to adjust the backg. nutrients from the foreg. values in GW. >>>"),
        "cmdAdd");
    ChkOC = new QCheckBox(QStringLiteral("Check here for displaying organic carbon (OC)."), this);
    ChkOC->setObjectName(QStringLiteral("ChkOC"));
    for (QPushButton* b : {cmdViewPie, cmdSave, cmdLoad, cmdPrint, cmdAdd}) {
        b->setEnabled(false);
    }
    connect(cmdCalculate, &QPushButton::clicked, this, &FrmReGroup::cmdCalculate_Click);
    connect(cmdViewPie, &QPushButton::clicked, this, &FrmReGroup::cmdViewPie_Click);
    connect(cmdSave, &QPushButton::clicked, this, &FrmReGroup::cmdSave_Click);
    connect(cmdLoad, &QPushButton::clicked, this, &FrmReGroup::cmdLoad_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &FrmReGroup::cmdPrint_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(CmdDefault, &QPushButton::clicked, this, &FrmReGroup::CmdDefault_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &FrmReGroup::cmdAdd_Click);
    connect(ChkOC, &QCheckBox::clicked, this, &FrmReGroup::ChkOC_Click);

    // The four background inputs stand under the headings of columns 3..6.
    auto* background = new QGridLayout;
    background->addWidget(cmdAdd, 1, 0);
    for (int i = 0; i < 4; ++i) {
        lblAdd[i] = new QLabel(this);
        lblAdd[i]->setObjectName(QStringLiteral("lblAdd_%1").arg(i));
        TxtAdd[i] = new QLineEdit(this);
        TxtAdd[i]->setObjectName(QStringLiteral("TxtAdd_%1").arg(i));
        TxtAdd[i]->setFixedWidth(rivulon::ui::twipsToPixels(1100));
        background->addWidget(lblAdd[i], 0, i + 1);
        background->addWidget(TxtAdd[i], 1, i + 1);
    }
    background->addWidget(CmdDefault, 1, 5);
    background->setColumnStretch(6, 1);

    auto* noteBackground = new QLabel(
        QStringLiteral("Background nutrient output can be obtained by simulating the watershed "
                       "under all-forest or all-natural scenarios."),
        this);
    noteBackground->setObjectName(QStringLiteral("Label2"));
    auto* noteAbbreviations = new QLabel(
        QStringLiteral("backg.=background, foreg.=foreground, and GW=groundwater. Do not "
                       "click if you did not specify default values for nutrient "
                       "output."),
        this);
    noteAbbreviations->setObjectName(QStringLiteral("Label3"));
    for (QLabel* note : {noteBackground, noteAbbreviations}) {
        note->setWordWrap(true);
    }

    auto* middle = new QHBoxLayout;
    auto* tableArea = new QVBoxLayout;
    tableArea->addWidget(ListLU, 1);
    tableArea->addWidget(ReGrid, 1, Qt::AlignLeft | Qt::AlignTop);
    middle->addLayout(tableArea, 1);
    middle->addSpacing(8);
    middle->addLayout(groups);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdCalculate, cmdViewPie, cmdSave, cmdLoad, cmdPrint}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    buttons->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addLayout(middle, 1);
    layout->addWidget(ChkOC);
    layout->addLayout(background);
    layout->addWidget(noteBackground);
    layout->addWidget(noteAbbreviations);
    layout->addLayout(buttons);
    resize(rivulon::ui::twipsSize(11400, 7200));
}

QString FrmReGroup::selectResultsFile() {
    // The current folder when the user works in an output folder, otherwise
    // the application's own.
    const QString current = QDir::currentPath();
    const QString folder = current.right(6).toLower() == QLatin1String("output")
                               ? current
                               : host_.session().outputFolder();
    return rivulon::ui::dialogs().openFile(
        this, QString(), folder, QStringLiteral("Data file (Result*.dat *.dat);;All files (*)"));
}

void FrmReGroup::Form_Load() {
    const QString path = selectResultsFile();
    if (!path.isEmpty()) {
        openResultsFile(path);
    }
}

bool FrmReGroup::openResultsFile(const QString& path) {
    rivulon::ResultSet results;
    try {
        results = rivulon::readResultsFile(ss(path));
    } catch (const std::exception& e) {
        errorBox(this,
                 QStringLiteral("The results file cannot be regrouped:\n%1").arg(qs(e.what())),
                 kCaption);
        return false;
    }
    resultsFile_ = path;
    totalArea_ = results.totalArea;
    ListLU->clear();
    for (int g = 0; g < kGroups; ++g) {
        CboGroup[g]->clear();
    }
    for (int k = 1; k <= results.header.landUseCount; ++k) {
        ListLU->addItem(qs(rivulon::landUseItem(k, results.landUseName[k])));
    }
    ListLU->setCurrentRow(0);
    setWindowTitle(kCaption + QLatin1Char(' ') + path);
    return true;
}

bool FrmReGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (int g = 0; g < kGroups; ++g) {
            if (watched == Label1[g]) {
                Label1_Click(g);
                return true;
            }
        }
    }
    if (watched == Txtlabel) {
        if (event->type() == QEvent::FocusOut) {
            closeLabelEditor(false);
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            closeLabelEditor(false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmReGroup::Image1_Click(int group) {
    if (ListLU->count() == 0) {
        return;
    }
    QListWidgetItem* item = ListLU->currentItem() ? ListLU->currentItem() : ListLU->item(0);
    CboGroup[group]->addItem(item->text());
    CboGroup[group]->setCurrentIndex(CboGroup[group]->count() - 1);
    delete ListLU->takeItem(ListLU->row(item));
    if (ListLU->count() > 0) {
        ListLU->setCurrentRow(0);
    }
}

void FrmReGroup::Image2_Click(int group) {
    QComboBox* box = CboGroup[group];
    if (box->count() == 0) {
        return;
    }
    const int index = box->currentIndex() >= 0 ? box->currentIndex() : 0;
    ListLU->addItem(box->itemText(index));
    box->removeItem(index);
    box->setCurrentIndex(box->count() > 0 ? 0 : -1);
}

void FrmReGroup::Label1_Click(int group) {
    if (!Label1[group]->isEnabled()) {
        return;
    }
    editedLabel_ = group;
    QLabel* label = Label1[group];
    const QPoint at = label->mapTo(this, QPoint(0, 0));
    Txtlabel->setGeometry(at.x(), at.y() + (label->height() - Txtlabel->sizeHint().height()) / 2,
                          std::max(label->width(), rivulon::ui::twipsToPixels(1800)),
                          Txtlabel->sizeHint().height());
    Txtlabel->setText(label->text());
    Txtlabel->show();
    Txtlabel->raise();
    Txtlabel->setFocus();
    Txtlabel->selectAll();
}

void FrmReGroup::closeLabelEditor(bool keep) {
    if (editedLabel_ < 0) {
        return;
    }
    const int group = editedLabel_;
    editedLabel_ = -1;
    if (keep) {
        Label1[group]->setText(Txtlabel->text());
    }
    Txtlabel->hide();
}

void FrmReGroup::freezeGrouping() {
    closeLabelEditor(false);
    for (int g = 0; g < kGroups; ++g) {
        Image1[g]->hide();
        Image2[g]->hide();
        CboGroup[g]->setEnabled(false);
        Label1[g]->setEnabled(false);
        Label1[g]->setCursor(Qt::ArrowCursor);
    }
    cmdCalculate->setEnabled(false);
    for (QPushButton* b : {cmdViewPie, cmdSave, cmdLoad, cmdPrint, cmdAdd}) {
        b->setEnabled(true);
    }
}

void FrmReGroup::cmdCalculate_Click() {
    if (resultsFile_.isEmpty()) {
        warnBox(this, QStringLiteral("No file was selected to regroup!"));
        close();
        return;
    }
    std::array<rivulon::LandUseGroup, rivulon::kRegroupGroups> groups;
    for (int g = 0; g < kGroups; ++g) {
        groups[g].label = ss(Label1[g]->text());
        for (int i = 0; i < CboGroup[g]->count(); ++i) {
            groups[g].landUses.push_back(rivulon::landUseOfItem(ss(CboGroup[g]->itemText(i))));
        }
    }
    const std::string path = ss(resultsFile_);
    const bool oc = ChkOC->isChecked();
    struct Outcome {
        rivulon::TextGrid table;
        float totalArea = 0;
    };
    auto outcome = std::make_shared<Outcome>();
    auto work = [path, groups, oc, outcome] {
        const rivulon::ResultSet results = rivulon::readResultsFile(path);
        outcome->table = rivulon::buildRegroupTable(results, groups, oc);
        outcome->totalArea = results.totalArea;
    };
    auto failed = [this](const QString& why) {
        errorBox(this, QStringLiteral("The results file cannot be regrouped:\n%1").arg(why),
                 kCaption);
    };

    // The whole results file is read again; the window takes no input meanwhile.
    setEnabled(false);
    rivulon::ui::Job* job = host_.jobs().start(rivulon::ui::JobUse::OwnCopy,
                                               [work](rivulon::ui::Job::Context&) { work(); });
    if (job) {
        connect(job, &rivulon::ui::Job::finished, this,
                [this, outcome, failed](const rivulon::ui::JobEnd& end) {
                    setEnabled(true);
                    if (end.ok) {
                        totalArea_ = outcome->totalArea;
                        calculated(outcome->table);
                    } else if (!end.cancelled) {
                        failed(end.error);
                    }
                });
        return;
    }
    // Another piece of work holds the worker: the file is read here instead.
    try {
        work();
        setEnabled(true);
        totalArea_ = outcome->totalArea;
        calculated(outcome->table);
    } catch (const std::exception& e) {
        setEnabled(true);
        failed(qs(e.what()));
    }
}

void FrmReGroup::calculated(const rivulon::TextGrid& table) {
    freezeGrouping();
    lblTitle->setText(qs(rivulon::regroupTitle(totalArea_)));
    showTable(table);
}

void FrmReGroup::showTable(const rivulon::TextGrid& table) {
    ReGrid->setCells(table);
    ReGrid->setColAlignment(0, tabulex::TableGrid::kAlignLeftCenter);
    for (int c = 1; c < ReGrid->cols(); ++c) {
        ReGrid->setColAlignment(c, 7);  // right, centred vertically
    }
    ListLU->hide();
    ReGrid->show();
    tableShown_ = true;
    fitColumns();
}

void FrmReGroup::fitColumns() {
    const QFontMetrics fm = ReGrid->fontMetrics();
    for (int c = 0; c < ReGrid->cols(); ++c) {
        int widest = 0;
        for (int r = 0; r < ReGrid->rows(); ++r) {
            widest = std::max(widest, fm.horizontalAdvance(ReGrid->textMatrix(r, c)));
        }
        ReGrid->setColWidth(c, static_cast<int>((widest + 14) * rivulon::ui::kTwipsPerPixel));
    }
    // The whole table is on screen: the grid and the window grow to hold it.
    int width = 2 * ReGrid->frameWidth();
    for (int c = 0; c < ReGrid->cols(); ++c) {
        width += rivulon::ui::twipsToPixels(ReGrid->colWidth(c));
    }
    int height = 2 * ReGrid->frameWidth();
    for (int r = 0; r < ReGrid->rows(); ++r) {
        height += rivulon::ui::twipsToPixels(ReGrid->rowHeight(r));
    }
    // The grid holds the whole table, so it needs no scroll bars; a few
    // pixels spare show as window.
    ReGrid->setScrollBars(0);
    ReGrid->setFixedSize(width + 4, height + 4);
    if (ReGrid->isVisible() || tableShown_) {
        layout()->activate();
        host_.resizeFrame(this, size().expandedTo(sizeHint()));
    }
}

void FrmReGroup::setHeadings() {
    const auto headings = rivulon::regroupHeadings(ChkOC->isChecked());
    for (int c = 0; c < rivulon::kRegroupCols; ++c) {
        ReGrid->setTextMatrix(0, c, qs(headings[c]));
    }
}

void FrmReGroup::Cal_total(int column) {
    rivulon::TextGrid cells = ReGrid->cells();
    rivulon::regroupTotal(cells, column);
    ReGrid->setTextMatrix(cells.rows() - 1, column, qs(cells.at(cells.rows() - 1, column)));
}

void FrmReGroup::CmdDefault_Click() {
    const auto& settings = host_.session().settings;
    const auto inputs = rivulon::defaultBackground(settings.gwBkDN, settings.gwBkDP);
    for (int i = 0; i < 4; ++i) {
        TxtAdd[i]->setText(qs(inputs[i]));
    }
}

void FrmReGroup::cmdAdd_Click() {
    std::array<std::string, 4> inputs;
    for (int i = 0; i < 4; ++i) {
        inputs[i] = ss(TxtAdd[i]->text());
    }
    rivulon::TextGrid cells = ReGrid->cells();
    rivulon::applyBackground(cells, inputs);
    ReGrid->setCells(cells);
    fitColumns();
    for (int i = 0; i < 4; ++i) {
        TxtAdd[i]->setText(qs(inputs[i]));
    }
}

void FrmReGroup::ChkOC_Click() {
    const auto headings = rivulon::regroupHeadings(ChkOC->isChecked());
    for (int i = 0; i < 4; ++i) {
        QString caption = qs(headings[i + 3]);
        lblAdd[i]->setText(caption.remove(QStringLiteral(" (ton)")));
    }
    if (tableShown_) {
        setHeadings();
        fitColumns();
    }
}

void FrmReGroup::cmdSave_Click() {
    rivulon::ui::SaveGrid(*ReGrid, QStringLiteral("Rg*.txt"));
}

void FrmReGroup::cmdLoad_Click() {
    const QString path = rivulon::ui::dialogs().openFile(
        this, QStringLiteral("Load a saved table (regrouped results)"),
        host_.session().outputFolder(),
        QStringLiteral("Regrouped text files (Rg*.txt);;All files (*)"));
    if (!path.isEmpty()) {
        loadRegroupedTable(path);
    }
}

bool FrmReGroup::loadRegroupedTable(const QString& path) {
    rivulon::TextGrid table;
    try {
        table = rivulon::readRegroupedTable(ss(path));
    } catch (const std::exception& e) {
        errorBox(
            this,
            QStringLiteral("The table was not loaded; it keeps its cells.\n%1").arg(qs(e.what())),
            QStringLiteral("Load table"));
        return false;
    }
    if (!tableShown_) {
        freezeGrouping();
        // A table opened without a results file has no grouping to show.
        if (resultsFile_.isEmpty()) {
            for (int g = 0; g < kGroups; ++g) {
                Label1[g]->hide();
                CboGroup[g]->hide();
            }
        }
    }
    showTable(table);
    setWindowTitle(path + QStringLiteral(" was loaded in the table."));
    lblTitle->setText(
        QStringLiteral("Mean Annual Output from Different Sources (GW = Groundwater)"));
    return true;
}

void FrmReGroup::cmdPrint_Click() {
    rivulon::ui::CmdPrintGrid(this, ReGrid->cells(),
                              rivulon::ui::printDocumentName(windowTitle(), kCaption));
}

void FrmReGroup::cmdViewPie_Click() {
    SetPieData(2);
}

void FrmReGroup::SetPieData(int column) {
    auto* view = dynamic_cast<rivulon::ui::PieChartView*>(
        host_.openWindow(rivulon::ui::PieChartView::kProvider));
    if (!view) {
        return;
    }
    // "Next Graph" reads the table as it stands then; once this window is
    // closed the pies keep the last table.
    QPointer<FrmReGroup> self(this);
    auto last = std::make_shared<rivulon::TextGrid>(ReGrid->cells());
    view->showPies(
        [self, last] {
            if (self) {
                *last = self->ReGrid->cells();
            }
            return *last;
        },
        column);
    auto* pie = dynamic_cast<QWidget*>(view);
    host_.showChild(pie);
    // The pie window stands in the middle of the frame.
    host_.centreChild(pie);
}

namespace {

const rivulon::ui::WindowCommand kFrmReGroupCommands[] = {
    {.id = "MnuRegroup",
     .caption = "Re-&Group Nutrient Sources",
     .menu = "MnuTools",
     .run = &FrmReGroup::openRegroup},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmReGroup::registration{
    kKind, &rivulon::ui::makeWindow<FrmReGroup>, true, 120, kFrmReGroupCommands};
