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
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "analysis/value_format.h"
#include "common/atomic_file.h"
#include "common/paths.h"
#include "scenarios/nutrient_septic.h"
#include "shell/dialogs.h"
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

QLineEdit* numberBox(QWidget* parent, const char* name, bool readOnly) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFixedWidth(96);
    box->setAlignment(Qt::AlignRight);
    box->setReadOnly(readOnly);
    return box;
}

}  // namespace

QString FrmSeptic::plain(float value) {
    return qs(rivulon::plainNumber(value));
}

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
    host_.fitFrame(this);
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

void FrmSeptic::closeEvent(QCloseEvent* event) {
    // The run's copies end with it; a window closed during its run stops it.
    if (job_) {
        job_->stop();
        job_->waitForEnd();
    }
    event->accept();
}

namespace {

const rivulon::ui::WindowCommand kFrmSepticCommands[] = {
    {.id = "MnuSeptic",
     .caption = "Septic System &Improvement",
     .menu = "mnuAdvanced",
     .checkedWhen = +[](const Session& s) { return s.state.options.septicNReduction != 0; }},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmSeptic::registration{
    kKind, &rivulon::ui::makeWindow<FrmSeptic>, true, 290, kFrmSepticCommands};
