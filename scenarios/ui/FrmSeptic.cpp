#include "scenarios/ui/FrmSeptic.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <stdexcept>

#include "analysis/value_format.h"
#include "common/atomic_file.h"
#include "common/paths.h"
#include "project/run_command.h"
#include "project/weather_scan.h"
#include "scenarios/nutrient_septic.h"
#include "scenarios/septic_calc.h"
#include "shell/dialogs.h"
#include "shell/jobs.h"
#include "shell/qt_text.h"
#include "shell/session.h"

using rivulon::ui::dialogs;
using rivulon::ui::errorBox;
using rivulon::ui::msgBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;
using rivulon::ui::WindowKind;

namespace {

const QString kDefaultName = QStringLiteral("CurrentDefault 0");
const QString kAddNew = QStringLiteral("<Add New>");
const QString kChange = QStringLiteral("<Change>");
const QString kResultsName = QStringLiteral("ResultsSeptic.dat");
const QString kSummaryName = QStringLiteral("SummarySeptic.dat");

QString plain(float value) {
    return qs(rivulon::plainNumber(value));
}

QLineEdit* numberBox(QWidget* parent, const char* name, bool readOnly) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFixedWidth(96);
    box->setAlignment(Qt::AlignRight);
    box->setReadOnly(readOnly);
    return box;
}

bool saveTechTable(rivulon::ui::WindowHost& host, const rivulon::SepticTechTable& table) {
    // The technology files live in the program's Input folder.
    const QString folder = QDir(host.session().applicationFolder).filePath(QStringLiteral("Input"));
    const QString path =
        dialogs().saveFile(host.frame(), QStringLiteral("Save septic data"), folder,
                           QStringLiteral("SepticNew.dat"), QStringLiteral("dat"));
    if (path.isEmpty()) {
        return false;
    }
    try {
        rivulon::writeSepticTechFile(ss(path), table);
    } catch (const std::exception& e) {
        errorBox(host.frame(), QStringLiteral("The septic data were not saved: ") + qs(e.what()));
        return false;
    }
    rivulon::ui::showSaved(host.frame(), path);
    return true;
}

}  // namespace

// What a septic run reports besides its results; the worker fills it.
struct FrmSeptic::RunReport {
    bool ran = false;
    std::string saveError;  // the result files could not be written
};

FrmSeptic::FrmSeptic(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName(QStringLiteral("FrmSeptic"));
    setWindowTitle(QStringLiteral("Advanced Option: More on Septic Systems"));

    // Who is on which kind of system now, as the nutrient file says.
    auto* Frame3 = new QGroupBox(QStringLiteral("Septic Population"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    auto* populations = new QFormLayout(Frame3);
    TxtCurPop = numberBox(this, "TxtCurPop", true);
    TxtNorm = numberBox(this, "TxtNorm", true);
    TxtPond = numberBox(this, "TxtPond", true);
    TxtShort = numberBox(this, "TxtShort", true);
    TxtDirect = numberBox(this, "TxtDirect", true);
    populations->addRow(QStringLiteral("Current Population:"), TxtCurPop);
    populations->addRow(QStringLiteral("Pop on Normal System:"), TxtNorm);
    populations->addRow(QStringLiteral("Pop on Ponded System:"), TxtPond);
    populations->addRow(QStringLiteral("Pop on Short-cir. System:"), TxtShort);
    populations->addRow(QStringLiteral("Pop on Illegal System:"), TxtDirect);

    auto* Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* technology = new QVBoxLayout(Frame1);
    lblTechName_0 = new QLabel(QStringLiteral("Technology Name"), Frame1);
    lblTechName_0->setObjectName(QStringLiteral("lblTechName_0"));
    // Set puts the overall efficiency here, longer than the list is wide.
    lblTechName_0->setWordWrap(true);
    cboTechName = new QComboBox(Frame1);
    cboTechName->setObjectName(QStringLiteral("cboTechName"));
    cboTechName->setMinimumWidth(260);
    technology->addWidget(lblTechName_0);
    technology->addWidget(cboTechName);
    technology->addStretch();

    auto* Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto* values = new QFormLayout(Frame2);
    TxtReduction = numberBox(this, "TxtReduction", true);
    txtFailure = numberBox(this, "txtFailure", true);
    txtUseCur = numberBox(this, "txtUseCur", true);
    values->addRow(QStringLiteral("Load Reduction (%)"), TxtReduction);
    values->addRow(QStringLiteral("System Failure (%)"), txtFailure);
    values->addRow(QStringLiteral("% Pop. Using the System:"), txtUseCur);

    auto* Frame4 = new QGroupBox(QStringLiteral("Notes"), this);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    auto* notes = new QVBoxLayout(Frame4);
    TxtNotes = new QPlainTextEdit(Frame4);
    TxtNotes->setObjectName(QStringLiteral("TxtNotes"));
    TxtNotes->setReadOnly(true);
    TxtNotes->setFixedHeight(74);
    notes->addWidget(TxtNotes);

    auto makeButton = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cmdSetSeptic = makeButton("Set", "cmdSetSeptic");
    cmdSetSeptic->setToolTip(
        QStringLiteral("Work out the overall N reduction and the new population split"));
    cmdClose = makeButton("Close/Run", "cmdClose");
    cmdAdd = makeButton("Add New", "cmdAdd");
    cmdChange = makeButton("Change", "cmdChange");
    cmdLoadData = makeButton("Get Data", "cmdLoadData");
    CmdView = makeButton("View/Save", "CmdView");
    CmdGetNutr = makeButton("Other Parameters", "CmdGetNutr");
    CmdDefault = makeButton("Revert to Default", "CmdDefault");

    // The editing panel, shown below the rest by Add New and Change.
    Frame5 = new QGroupBox(this);
    Frame5->setObjectName(QStringLiteral("Frame5"));
    auto* panel = new QGridLayout(Frame5);
    lblInfo = new QLabel(QStringLiteral("Change or Add"), Frame5);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    QFont bold = lblInfo->font();
    bold.setBold(true);
    lblInfo->setFont(bold);
    TxtAddTech = new QLineEdit(Frame5);
    TxtAddTech->setObjectName(QStringLiteral("TxtAddTech"));
    TxtAddRed = numberBox(Frame5, "TxtAddRed", false);
    txtAddPop = numberBox(Frame5, "txtAddPop", false);
    TxtAddFailure = numberBox(Frame5, "TxtAddFailure", false);
    cmdOK = new QPushButton(QStringLiteral("OK"), Frame5);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), Frame5);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    panel->addWidget(lblInfo, 0, 0, 1, 5);
    panel->addWidget(new QLabel(QStringLiteral("Technology Name"), Frame5), 1, 0);
    panel->addWidget(new QLabel(QStringLiteral("Load Reduction (%)"), Frame5), 1, 1);
    panel->addWidget(new QLabel(QStringLiteral("% Pop. Using"), Frame5), 1, 2);
    panel->addWidget(new QLabel(QStringLiteral("System Failure (%)"), Frame5), 1, 3);
    panel->addWidget(TxtAddTech, 2, 0);
    panel->addWidget(TxtAddRed, 2, 1);
    panel->addWidget(txtAddPop, 2, 2);
    panel->addWidget(TxtAddFailure, 2, 3);
    panel->addWidget(cmdOK, 2, 4);
    panel->addWidget(CmdCancel, 2, 5);
    panel->setColumnStretch(0, 1);
    Frame5->hide();

    auto* middle = new QVBoxLayout;
    middle->addWidget(Frame1);
    middle->addWidget(Frame2);
    auto* buttons = new QGridLayout;
    const QPushButton* order[] = {cmdSetSeptic, cmdClose, cmdAdd,     cmdChange,
                                  cmdLoadData,  CmdView,  CmdGetNutr, CmdDefault};
    for (int i = 0; i < 8; ++i) {
        buttons->addWidget(const_cast<QPushButton*>(order[i]), i / 2, i % 2);
    }
    auto* right = new QVBoxLayout;
    right->addLayout(buttons);
    right->addWidget(Frame4);
    auto* top = new QHBoxLayout;
    top->addWidget(Frame3);
    top->addLayout(middle);
    top->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Frame5);
    layout->addStretch();

    connect(cboTechName, qOverload<int>(&QComboBox::activated), this,
            &FrmSeptic::cboTechName_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &FrmSeptic::cmdAdd_Click);
    connect(cmdChange, &QPushButton::clicked, this, &FrmSeptic::cmdChange_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmSeptic::CmdCancel_Click);
    connect(cmdOK, &QPushButton::clicked, this, &FrmSeptic::cmdOK_Click);
    connect(cmdSetSeptic, &QPushButton::clicked, this, &FrmSeptic::cmdSetSeptic_Click);
    connect(cmdLoadData, &QPushButton::clicked, this, &FrmSeptic::cmdLoadData_Click);
    connect(CmdView, &QPushButton::clicked, this, &FrmSeptic::CmdView_Click);
    connect(CmdGetNutr, &QPushButton::clicked, this, &FrmSeptic::CmdGetNutr_Click);
    connect(CmdDefault, &QPushButton::clicked, this, &FrmSeptic::CmdDefault_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmSeptic::cmdClose_Click);

    SepticInitialization();
}

FrmSeptic::~FrmSeptic() = default;

bool FrmSeptic::panelShown() const {
    return !Frame5->isHidden();
}

void FrmSeptic::showPanel(bool shown) {
    Frame5->setVisible(shown);
    // The window grows to show the panel and shrinks back without it.
    adjustSize();
    if (parentWidget()) {
        parentWidget()->adjustSize();
    }
}

void FrmSeptic::fillCombo() {
    cboTechName->clear();
    for (const auto& t : table_) {
        cboTechName->addItem(qs(t.name));
    }
}

void FrmSeptic::SepticInitialization() {
    showPanel(false);
    cboTechName->clear();
    table_ = rivulon::defaultSepticTable();
    cboTechName->addItem(kDefaultName);
    cboTechName->setCurrentIndex(0);
    cboTechName_Click();
    loadPopulations();
    txtUseCur->setText(qs(rivulon::formatPattern(0.0, "##0.0%")));
}

void FrmSeptic::loadPopulations() {
    normalSum_ = pondedSum_ = 0;
    float shortSum = 0, directSum = 0;
    const Session& session = host_.session();
    const std::string& path = session.settings.nutrientPath;
    if (rivulon::pathPresent(path)) {
        try {
            std::optional<int> landUses;
            if (session.state.watershed.landUseCount > 0) {
                landUses = session.state.watershed.landUseCount;
            }
            const std::string content = rivulon::readWholeFile(path);
            rivulon::NutrientSeptic septic;
            std::exception_ptr failure;
            try {
                septic = rivulon::readNutrientSeptic(path, content, landUses);
            } catch (const std::exception&) {
                failure = std::current_exception();
            }
            // A shifted field is named once, before the error it may cause.
            if (landUses) {
                for (const std::string& warning : rivulon::nutrientLayoutWarnings(
                         path, content, session.state.watershed, failure ? 1 : septic.pointYears)) {
                    if (std::find(warned_.begin(), warned_.end(), warning) == warned_.end()) {
                        warned_.push_back(warning);
                        warnBox(this, qs(warning));
                    }
                }
            }
            if (failure) {
                std::rethrow_exception(failure);
            }
            normalSum_ = septic.normalSum();
            pondedSum_ = septic.pondedSum();
            for (int m = 1; m <= 12; ++m) {
                shortSum = shortSum + septic.shortCircuitPop[m];
                directSum = directSum + septic.directPop[m];
            }
        } catch (const std::exception& e) {
            errorBox(this, QStringLiteral("The septic populations could not be read from the "
                                          "nutrient file.\n") +
                               qs(e.what()));
        }
    }
    TxtCurPop->setText(plain((normalSum_ + pondedSum_ + shortSum + directSum) / 12.0f));
    showAverages();
    TxtShort->setText(plain(shortSum / 12.0f));
    TxtDirect->setText(plain(directSum / 12.0f));
}

void FrmSeptic::showAverages() {
    TxtNorm->setText(plain(normalSum_ / 12.0f));
    TxtPond->setText(plain(pondedSum_ / 12.0f));
}

void FrmSeptic::cboTechName_Click() {
    const int i = cboTechName->currentIndex();
    if (i < 0 || i >= static_cast<int>(table_.size())) {
        return;
    }
    const rivulon::SepticTechnology& t = table_[static_cast<std::size_t>(i)];
    TxtReduction->setText(plain(t.reduction));
    txtUseCur->setText(plain(t.share));
    txtFailure->setText(plain(t.failure));
    NoteUpdate();
}

void FrmSeptic::NoteUpdate() {
    TxtNotes->setPlainText(QStringLiteral("Method: ") + cboTechName->currentText() +
                           QStringLiteral("\r\nReduces loading by: ") + TxtReduction->text() +
                           QStringLiteral("%.\r\nSystem failure:") + txtFailure->text() +
                           QStringLiteral("%\r\nUsed by: ") + txtUseCur->text() +
                           QStringLiteral("% of people."));
}

void FrmSeptic::cmdAdd_Click() {
    lblTechName_0->setText(QStringLiteral("Technology Name"));
    lblInfo->setText(kAddNew);
    TxtAddTech->setText(QStringLiteral("New"));
    TxtAddRed->setText(QStringLiteral("0"));
    txtAddPop->setText(QStringLiteral("0"));
    TxtAddFailure->setText(QStringLiteral("0"));
    showPanel(true);
    TxtAddTech->setFocus();
    TxtAddTech->selectAll();
}

void FrmSeptic::cmdChange_Click() {
    const int i = cboTechName->currentIndex();
    if (i < 0 || i >= static_cast<int>(table_.size())) {
        return;
    }
    lblTechName_0->setText(QStringLiteral("Technology Name"));
    lblInfo->setText(kChange);
    changing_ = i;
    const rivulon::SepticTechnology& t = table_[static_cast<std::size_t>(i)];
    TxtAddTech->setText(qs(t.name));
    TxtAddRed->setText(plain(t.reduction));
    txtAddPop->setText(plain(t.share));
    TxtAddFailure->setText(plain(t.failure));
    showPanel(true);
}

void FrmSeptic::CmdCancel_Click() {
    showPanel(false);
}

void FrmSeptic::cmdOK_Click() {
    const QString mode = lblInfo->text();
    if (mode != kAddNew && mode != kChange) {
        showPanel(false);
        return;
    }
    const QString name = TxtAddTech->text().trimmed();
    if (mode == kAddNew && name.isEmpty()) {
        warnBox(this,
                QStringLiteral("Technology Name: please type a name for the new technology."));
        return;
    }
    rivulon::SepticTechnology entry;
    try {
        // A typo or a value outside 0..100 % leaves the table as it was and
        // the panel open, so that it can be put right.
        entry = rivulon::technologyFromTexts(ss(name), ss(TxtAddRed->text().trimmed()),
                                             ss(txtAddPop->text().trimmed()),
                                             ss(TxtAddFailure->text().trimmed()));
    } catch (const std::invalid_argument& e) {
        warnBox(this, qs(e.what()));
        return;
    }
    showPanel(false);
    if (mode == kAddNew) {
        const int k = static_cast<int>(table_.size());
        entry.name = ss(name) + " " + std::to_string(k);
        table_.push_back(entry);
        cboTechName->addItem(qs(entry.name));
        return;
    }
    if (changing_ < 0 || changing_ >= static_cast<int>(table_.size())) {
        return;
    }
    table_[static_cast<std::size_t>(changing_)] = entry;
    cboTechName->setItemText(changing_, qs(entry.name));
    cboTechName->setCurrentIndex(changing_);
    cboTechName_Click();
}

void FrmSeptic::cmdSetSeptic_Click() {
    Session& session = host_.session();
    rivulon::SepticOverall o;
    rivulon::SepticSplit split;
    try {
        o = rivulon::computeSepticOverall(table_);
        split = rivulon::splitPopulation(normalSum_, pondedSum_, o.failureSum);
    } catch (const std::domain_error& e) {
        // Nothing is set from a table whose totals cannot be kept.
        warnBox(this, qs(e.what()));
        return;
    }
    TxtReduction->setText(qs(o.reductionText));
    session.state.options.septicNReduction = o.nReduction;
    lblTechName_0->setText(qs(o.efficiencyLabel));
    txtUseCur->setText(qs(o.shareText));
    txtFailure->setText(qs(o.failureText));
    session.announceOptions();
    if (o.shareWarning) {
        warnBox(this, qs(rivulon::kShareWarning));
    }
    TxtNotes->setPlainText(qs(o.notes));
    TxtPond->setText(QString::number(split.ponded));
    TxtNorm->setText(QString::number(split.normal));
    if (!o.septicOn) {
        return;
    }
    if (dialogs().askYesNo(
            this,
            QStringLiteral(
                "Do you want to update the population numbers on different septic systems?"),
            QStringLiteral("Update the Nutrient file?"))) {
        UpdateNutrient(o.failureSum / 10000.0f);
    } else {
        showAverages();
    }
}

rivulon::ui::NutrientEditorService* FrmSeptic::openEditor() {
    rivulon::ui::NutrientEditorService* editor = nullptr;
    bool wasOpen = true;
    if (editorSource_) {
        editor = editorSource_();
    } else {
        wasOpen = host_.findWindow(WindowKind::Nutrient) != nullptr;
        QWidget* window = host_.openWindow(WindowKind::Nutrient);
        editor = dynamic_cast<rivulon::ui::NutrientEditorService*>(window);
    }
    if (!editor) {
        return nullptr;
    }
    if (!editor->openSepticOnly()) {
        // An editor made just for this and left unshown goes again.
        if (auto* window = dynamic_cast<QWidget*>(editor); window && !wasOpen) {
            window->close();
        }
        return nullptr;
    }
    if (auto* window = dynamic_cast<QWidget*>(editor)) {
        host_.showChild(window);
    }
    return editor;
}

void FrmSeptic::UpdateNutrient(float failedShare) {
    rivulon::SepticSplit monthly;
    try {
        monthly = rivulon::monthlySepticPopulation(normalSum_, pondedSum_, failedShare);
    } catch (const std::domain_error& e) {
        warnBox(this, qs(e.what()));
        showAverages();
        return;
    }
    rivulon::ui::NutrientEditorService* editor = openEditor();
    if (!editor) {
        nutrientEditorClosed(false, {});
        return;
    }
    for (int m = 1; m <= 12; ++m) {
        editor->setSepticPopulation(2, m, monthly.ponded);
        editor->setSepticPopulation(1, m, monthly.normal);
    }
    // The window goes on once the editor has closed, saved or not.
    waitingForEditor_ = true;
    // The editor may announce its close while the program shuts down, after
    // this window or the session are gone.
    QPointer<FrmSeptic> self(this);
    QPointer<Session> session(&host_.session());
    editor->whenClosed([self, session](bool fileSaved, const QString& savedName) {
        if (!session) {
            return;
        }
        if (self) {
            self->nutrientEditorClosed(fileSaved, savedName);
        } else if (fileSaved && !savedName.isEmpty()) {
            // The runs that follow use the saved file even without this window.
            session->settings.nutrientPath = ss(savedName);
            session->announceFiles();
        }
    });
}

void FrmSeptic::nutrientEditorClosed(bool fileSaved, const QString& savedName) {
    waitingForEditor_ = false;
    if (fileSaved && !savedName.isEmpty()) {
        host_.session().settings.nutrientPath = ss(savedName);
        host_.session().announceFiles();
        return;
    }
    showAverages();
}

void FrmSeptic::CmdGetNutr_Click() {
    openEditor();
}

void FrmSeptic::cmdLoadData_Click() {
    lblTechName_0->setText(QStringLiteral("Technology Name"));
    showPanel(false);
    const QString folder =
        QDir(host_.session().applicationFolder).filePath(QStringLiteral("Input"));
    const QString path =
        dialogs().openFile(this, QStringLiteral("Open a septic technology file"), folder,
                           QStringLiteral("Septic Data (Sep*.dat);;All Files (*.*)"));
    if (path.isEmpty()) {
        return;
    }
    std::vector<std::string> warnings;
    rivulon::SepticTechTable read;
    try {
        read = rivulon::readSepticTechFile(ss(path), &warnings);
    } catch (const std::exception& e) {
        // All or nothing: the list keeps what it held.
        errorBox(this, QStringLiteral("The septic data were not read; the list is unchanged.\n") +
                           qs(e.what()));
        return;
    }
    table_ = std::move(read);
    fillCombo();
    if (!table_.empty()) {
        cboTechName->setCurrentIndex(0);
        cboTechName_Click();
    } else {
        TxtReduction->clear();
        txtUseCur->clear();
        txtFailure->clear();
        NoteUpdate();
    }
    if (!warnings.empty()) {
        QString text;
        for (const std::string& w : warnings) {
            text += qs(w) + QLatin1Char('\n');
        }
        warnBox(this, text.trimmed());
    }
}

void FrmSeptic::CmdView_Click() {
    showPanel(false);
    QWidget* window = host_.openWindow(WindowKind::Pie);
    auto* page = dynamic_cast<rivulon::ui::PieTextPage*>(window);
    if (!page) {
        errorBox(this, QStringLiteral("The window to view the septic data is not available."));
        return;
    }
    // The page puts the text after the first tab at column 40 and later ones
    // at the next 14-column zone; each value fills its zone so that the
    // numbers stand under their headings.
    auto zone = [](const QString& text) { return text.leftJustified(13) + QLatin1Char('\t'); };
    QStringList lines;
    lines << QStringLiteral("SepticData, ") + QString::number(table_.size()) << QString();
    lines << QStringLiteral("Method\t") + zone(QStringLiteral("Efficiency-N")) +
                 zone(QStringLiteral("PctPopUse")) + QStringLiteral("Failure (%)");
    for (const auto& t : table_) {
        lines << qs(t.name) + QLatin1Char('\t') + zone(plain(t.reduction)) + zone(plain(t.share)) +
                     plain(t.failure);
    }
    // The page saves the table as it was shown, even once this window is closed.
    const rivulon::SepticTechTable shown = table_;
    rivulon::ui::WindowHost* host = &host_;
    page->showTextPage(QStringLiteral("Current Data on Septic Systems"), lines,
                       [shown, host] { saveTechTable(*host, shown); });
    host_.showChild(window);
    // Wide enough for the last column of the page.
    if (QWidget* frame = window->parentWidget(); frame && frame->width() < 760) {
        frame->resize(760, frame->height());
    }
}

bool FrmSeptic::SaveData(const rivulon::SepticTechTable& table) {
    return saveTechTable(host_, table);
}

void FrmSeptic::CmdDefault_Click() {
    cboTechName->clear();
    SepticInitialization();
    lblTechName_0->setText(QStringLiteral("Technology Name"));
    cboTechName_Click();
}

void FrmSeptic::cmdClose_Click() {
    if (!dialogs().askYesNo(this, QStringLiteral("Want to run the model now?"),
                            QStringLiteral("Run the Model?"))) {
        close();
        return;
    }
    runSeptic();
}

void FrmSeptic::runSeptic() {
    rivulon::ui::Jobs& jobs = host_.jobs();
    if (jobs.busy()) {
        warnBox(this, QStringLiteral("A run is in progress. Please try again when it has ended."));
        return;
    }
    // The project, years and watershed name the start window shows now.
    const Session& session = host_.session();
    const rivulon::ProjectSettings& s = session.settings;
    auto* start = dynamic_cast<rivulon::ui::SimulationChoices*>(
        host_.findWindow(rivulon::ui::WindowKind::Start));
    std::int16_t years = static_cast<std::int16_t>(
        std::max(1, rivulon::yearsForSpinner(
                        {s.datedWeather, s.weatherStart, s.weatherLineCount, s.weatherYears})));
    if (start && !start->chosenYears(years)) {
        return;
    }
    std::string name = start ? ss(start->chosenWatershedName()) : s.basinName;
    if (name.empty()) {
        name = session.state.watershedName;
    }
    const QString period =
        start ? start->chosenPeriod() : qs(s.startText) + QStringLiteral(" to ") + qs(s.endText);

    rivulon::RunRequest request{years, 4};
    request.keepSeepLog = true;  // written with the two result files
    const std::string folder = s.outputFolder;
    auto report = std::make_shared<RunReport>();
    rivulon::ui::Job* job = jobs.start(
        rivulon::ui::JobUse::Session,
        [report, request, name, folder](rivulon::ui::Job::Context& c) {
            c.result.leaves = true;
            c.result.state.watershedName = name;
            rivulon::RunOutcome outcome =
                rivulon::runProject(c.result.settings, c.result.state, request, &c.recorder);
            c.result.ran = report->ran = outcome.ran;
            if (!outcome.ran) {
                return;
            }
            try {
                rivulon::saveRunFileSet({rivulon::joinPath(folder, ss(kResultsName)),
                                         rivulon::joinPath(folder, ss(kSummaryName)),
                                         rivulon::joinPath(folder, rivulon::kSeepCoefFileName)},
                                        c.result.state, outcome.seepLog,
                                        rivulon::runInputPaths(c.result.settings));
            } catch (const std::exception& e) {
                report->saveError = e.what();
            }
        });
    if (!job) {
        return;
    }
    job_ = job;
    host_.session().setResults(false);
    std::array<std::int16_t, 5> scales = session.state.options.graphScale;
    if (rivulon::graphScalesNeedDefaults(scales)) {
        scales = rivulon::kDefaultGraphScales;
    }
    if (QWidget* graph = host_.openWindow(WindowKind::Graph)) {
        if (auto* view = dynamic_cast<rivulon::ui::RunView*>(graph)) {
            view->beginRun(*job, 4, scales, period);
        }
        host_.showChild(graph);
    }
    connect(job, &rivulon::ui::Job::finished, this,
            [this, report, folder](const rivulon::ui::JobEnd& end) {
                runEnded(end, *report, qs(rivulon::joinPath(folder, ss(kResultsName))));
            });
}

void FrmSeptic::runEnded(const rivulon::ui::JobEnd& end, const RunReport& report,
                         const QString& results) {
    job_ = nullptr;
    if (end.cancelled) {
        msgBox(this, QStringLiteral("The run was cancelled; ") + kResultsName +
                         QStringLiteral(" and ") + kSummaryName +
                         QStringLiteral(" were not written."));
        return;
    }
    if (!end.ok || !report.ran) {
        errorBox(this,
                 end.ok ? QStringLiteral("No weather file is named; nothing was run.") : end.error);
        return;
    }
    if (!report.saveError.empty()) {
        errorBox(this,
                 QStringLiteral("The septic results were not saved: ") + qs(report.saveError));
        return;
    }
    host_.session().setResultsSaved();
    rivulon::ui::showSaved(this, {results, QFileInfo(results).dir().filePath(kSummaryName)});
    QWidget* window = host_.openWindow(WindowKind::Results);
    if (auto* view = dynamic_cast<rivulon::ui::ResultTableView*>(window)) {
        if (view->showResultFile(results, rivulon::ui::ResultTable::Monthly, 1)) {
            host_.showChild(window);
        }
    }
}

void FrmSeptic::closeEvent(QCloseEvent* event) {
    // The run's copies end with it; a window closed during its run stops it.
    if (job_) {
        job_->stop();
        job_->waitForEnd();
    }
    event->accept();
}
