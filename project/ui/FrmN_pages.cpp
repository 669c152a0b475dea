// The nutrient editor's pages and controls.

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "project/ui/FrmN.h"
#include "project/ui/GridCellEdit.h"
#include "shell/UpDown.h"
#include "shell/widgets/FlexGrid.h"
#include "shell/widgets/cell_edits.h"

namespace {

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QLabel* heading(const QString& text, QWidget* parent) {
    QLabel* label = caption(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

}  // namespace

void FrmN::buildPages() {
    TabN = new QTabWidget(this);
    TabN->setObjectName("TabN");

    for (int i = 0; i < 5; ++i) {
        NGrid[i] = new rivulon::ui::FlexGrid(this);
        NGrid[i]->setObjectName(QStringLiteral("NGrid_%1").arg(i));
        TxtCell[i] = new QLineEdit;
        TxtCell[i]->setObjectName(QStringLiteral("TxtCell_%1").arg(i));
        cellEdit[i] = new GridCellEdit(NGrid[i], TxtCell[i]);
        connect(cellEdit[i], &GridCellEdit::committed, this, [this] { changed(); });

        NGrid[i]->setRows(1);
        NGrid[i]->setColWidth(0, 1500);
    }
    const auto headings = [this](int grid, const QStringList& titles) {
        NGrid[grid]->setCols(int(titles.size()));
        for (int c = 0; c < titles.size(); ++c) {
            NGrid[grid]->setTextMatrix(0, c, titles[c]);
            if (c > 0)
                NGrid[grid]->setColWidth(c, 1200);
        }
    };
    headings(0, {"Land Use", "N mg/l", "P mg/l", "C mg/l"});
    headings(1, {"Land Use", "N kg/h/d", "P kg/h/d", "C kg/h/d"});
    headings(2, {"Manured", "N", "P"});
    headings(3, {"Month", "Point N", "Point P", "Point C"});
    headings(4, {"Month", "Normal type", "Ponded type", "Short-circuited", "Direct discharge"});
    NGrid[3]->setColWidth(0, 1200);
    NGrid[4]->setColWidth(0, 900);
    for (int c = 1; c < 5; ++c)
        NGrid[4]->setColWidth(c, 1700);

    TabN->addTab(generalPage(), QStringLiteral("Nutrients - General"));

    auto* rural = new QWidget;
    auto* ruralLayout = new QVBoxLayout(rural);
    ruralLayout->addWidget(heading(QStringLiteral("Nutrient Conc. (mg/l) in Runoff"), rural));
    ruralLayout->addWidget(NGrid[0], 1);
    ruralLayout->addStretch(0);
    TabN->addTab(rural, QStringLiteral("Nutrients - Rural land"));

    auto* urban = new QWidget;
    auto* urbanLayout = new QVBoxLayout(urban);
    urbanLayout->addWidget(
        heading(QStringLiteral("Nutrient Build-up Rate (kg/ha/day) in Urban Areas"), urban));
    urbanLayout->addWidget(NGrid[1], 1);
    urbanLayout->addWidget(
        heading(QStringLiteral("Nutrient Conc. (mg/l) in Runoff from Manured Areas"), urban));
    urbanLayout->addWidget(NGrid[2], 1);
    urbanLayout->addStretch(0);
    TabN->addTab(urban, QStringLiteral("Urban and manured land"));

    auto* point = new QWidget;
    auto* pointLayout = new QVBoxLayout(point);
    pointLayout->addWidget(
        heading(QStringLiteral("Point sources (monthly-load, kg/month)"), point));
    pointLayout->addWidget(NGrid[3], 1);
    pointLayout->addStretch(0);
    TabN->addTab(point, QStringLiteral("Nutrients - Point sources"));

    TabN->addTab(septicPage(), QStringLiteral("Nutrients - Septic systems"));

    // A value typed on one page is kept when the user turns to another.
    connect(TabN, &QTabWidget::currentChanged, this, [this] { rivulon::ui::endCellEdits(this); });

    cmdSaveN = new QPushButton(QStringLiteral("&Save"), this);
    cmdSaveN->setObjectName("cmdSaveN");
    CmdExit = new QPushButton(QStringLiteral("E&xit"), this);
    CmdExit->setObjectName("CmdExit");
    connect(cmdSaveN, &QPushButton::clicked, this, [this] { cmdSaveN_Click(); });
    connect(CmdExit, &QPushButton::clicked, this, &FrmN::CmdExit_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSaveN);
    buttons->addWidget(CmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabN, 1);
    layout->addLayout(buttons);
}

QWidget* FrmN::generalPage() {
    auto* page = new QWidget;
    auto makeBox = [this, page](int index, const QString& label) {
        Label1[index] = caption(label, page);
        Label1[index]->setObjectName(QStringLiteral("Label1_%1").arg(index));
        Text1[index] = new QLineEdit(page);
        Text1[index]->setObjectName(QStringLiteral("Text1_%1").arg(index));
        Text1[index]->setFixedWidth(90);
        Text1[index]->installEventFilter(this);
        connect(Text1[index], &QLineEdit::textEdited, this, [this] { changed(); });
    };
    auto makeSpinner = [this, page](const char* name, int low, int high) {
        auto* spinner = new UpDown(page);
        spinner->setObjectName(QString::fromLatin1(name));
        spinner->setRange(low, high);
        connect(spinner, &QSpinBox::valueChanged, this, [this] {
            if (!loading_)
                changed();
        });
        return spinner;
    };

    fraCounts = new QWidget(page);
    auto* counts = new QHBoxLayout(fraCounts);
    counts->setContentsMargins(0, 0, 0, 0);
    TxtRural = new QLineEdit(fraCounts);
    TxtRural->setObjectName("TxtRural");
    TxtUrban = new QLineEdit(fraCounts);
    TxtUrban->setObjectName("TxtUrban");
    for (QLineEdit* box : {TxtRural, TxtUrban}) {
        box->setReadOnly(true);
        box->setFixedWidth(50);
    }
    counts->addWidget(new QLabel(QStringLiteral("No. of rural landuse"), fraCounts));
    counts->addWidget(TxtRural);
    counts->addSpacing(20);
    counts->addWidget(new QLabel(QStringLiteral("No. of urban landuse"), fraCounts));
    counts->addWidget(TxtUrban);
    counts->addStretch(1);

    auto* values = new QGroupBox(QStringLiteral("Sediment and ground water"), page);
    auto* valueGrid = new QGridLayout(values);
    static const char* const labels[6] = {
        "Sediment N mg/kg:",    "Sediment P mg/kg:",    "Sediment C mg/kg:",
        "Ground water N mg/l:", "Ground water P mg/l:", "Ground Water C mg/l:"};
    for (int i = 0; i < 6; ++i) {
        makeBox(i, QString::fromLatin1(labels[i]));
        valueGrid->addWidget(Label1[i], i % 3, (i / 3) * 2);
        valueGrid->addWidget(Text1[i], i % 3, (i / 3) * 2 + 1);
    }
    valueGrid->setColumnStretch(0, 1);
    valueGrid->setColumnStretch(2, 1);

    auto* manure = new QGroupBox(QStringLiteral("Manure/fertilizer application"), page);
    auto* manureGrid = new QGridLayout(manure);
    makeBox(6, QStringLiteral(
                   "Number of land uses that received manure/fertilizer application? (No=0):"));
    makeBox(7, QStringLiteral("1st Manure Start Month (April=1):"));
    makeBox(8, QStringLiteral("End Month (March=12):"));
    UpDnManure = makeSpinner("UpDnManure", 0, 0);
    UpDnStart = makeSpinner("UpDnStart", 0, 12);
    UpDnEnd = makeSpinner("UpDnEnd", 0, 12);
    UpDnStart1 = makeSpinner("UpDnStart1", 0, 12);
    UpDnEnd1 = makeSpinner("UpDnEnd1", 0, 12);
    for (int i = 0; i < 2; ++i) {
        Txt2ndMan[i] = new QLineEdit(page);
        Txt2ndMan[i]->setObjectName(QStringLiteral("Txt2ndMan_%1").arg(i));
        Txt2ndMan[i]->setFixedWidth(90);
    }
    auto* secondStart = caption(QStringLiteral("2nd Manure Start Month (April=1):"), page);
    auto* secondEnd = caption(QStringLiteral("End Month (March=12):"), page);
    auto spinRow = [](QLineEdit* box, UpDown* spinner) {
        auto* row = new QHBoxLayout;
        row->setSpacing(0);
        row->addWidget(box);
        row->addWidget(spinner);
        row->addStretch(1);
        return row;
    };
    manureGrid->addWidget(Label1[6], 0, 0, 1, 3);
    manureGrid->addLayout(spinRow(Text1[6], UpDnManure), 0, 3);
    manureGrid->addWidget(Label1[7], 1, 0);
    manureGrid->addLayout(spinRow(Text1[7], UpDnStart), 1, 1);
    manureGrid->addWidget(Label1[8], 1, 2);
    manureGrid->addLayout(spinRow(Text1[8], UpDnEnd), 1, 3);
    manureGrid->addWidget(secondStart, 2, 0);
    manureGrid->addLayout(spinRow(Txt2ndMan[0], UpDnStart1), 2, 1);
    manureGrid->addWidget(secondEnd, 2, 2);
    manureGrid->addLayout(spinRow(Txt2ndMan[1], UpDnEnd1), 2, 3);
    manureGrid->setColumnStretch(0, 1);
    manureGrid->setColumnStretch(2, 1);

    auto* flag = new QGroupBox(QStringLiteral("Septic systems and point sources"), page);
    auto* flagRow = new QHBoxLayout(flag);
    makeBox(9, QStringLiteral(
                   "Include septic system data? Include multi-year point source data? (No=0)"));
    UpDnSepticPointFlag = makeSpinner("UpDnSepticPointFlag", 0, 3);
    const QString tip = QStringLiteral(
        "0=No; 1=Septic system only; 2=Multi-year point source data only; 3=Include both.");
    Text1[9]->setToolTip(tip);
    UpDnSepticPointFlag->setToolTip(tip);
    flagRow->addWidget(Label1[9], 1);
    flagRow->addLayout(spinRow(Text1[9], UpDnSepticPointFlag));

    // The spinner boxes show what their spinners hold, and a number typed
    // into one is its spinner's value.
    UpDnManure->setBuddy(Text1[6]);
    connect(UpDnManure, &QSpinBox::valueChanged, this, &FrmN::manureCountChanged);
    const std::pair<UpDown*, QLineEdit*> months[] = {{UpDnStart, Text1[7]},
                                                     {UpDnEnd, Text1[8]},
                                                     {UpDnStart1, Txt2ndMan[0]},
                                                     {UpDnEnd1, Txt2ndMan[1]}};
    for (const auto& [spinner, box] : months) {
        spinner->setBuddy(box, [this](int month) { return monthBoxText(month); });
    }
    UpDnSepticPointFlag->setBuddy(Text1[9]);
    for (QLineEdit* box : {Txt2ndMan[0], Txt2ndMan[1]})
        connect(box, &QLineEdit::textEdited, this, [this] { changed(); });

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(fraCounts);
    layout->addWidget(values);
    layout->addWidget(manure);
    layout->addWidget(flag);
    layout->addStretch(1);
    return page;
}

QWidget* FrmN::septicPage() {
    auto* page = new QWidget;
    lblSepticHeading = heading(
        QStringLiteral(
            "Default parameters for normal type of septic systems that conform to EPA standards:"),
        page);
    lblSepticHeading->setObjectName("lblSepticHeading");
    lblSepticHeading->hide();
    static const char* const labels[4] = {
        "Septic N loading g/day/capita:", "Septic P loading g/day/capita:",
        "Septic N uptaken by plants:", "Septic P uptaken by plants:"};
    auto* loads = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        const int index = 10 + i;
        Label1[index] = caption(QString::fromLatin1(labels[i]), page);
        Label1[index]->setObjectName(QStringLiteral("Label1_%1").arg(index));
        Text1[index] = new QLineEdit(page);
        Text1[index]->setObjectName(QStringLiteral("Text1_%1").arg(index));
        Text1[index]->setFixedWidth(90);
        Text1[index]->installEventFilter(this);
        connect(Text1[index], &QLineEdit::textEdited, this, [this] { changed(); });
        loads->addWidget(Label1[index], i % 2, (i / 2) * 2);
        loads->addWidget(Text1[index], i % 2, (i / 2) * 2 + 1);
    }
    loads->setColumnStretch(0, 1);
    loads->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(lblSepticHeading);
    layout->addLayout(loads);
    layout->addWidget(
        heading(QStringLiteral("Septic Systems: Population served (number of people):"), page));
    layout->addWidget(NGrid[4], 1);
    layout->addStretch(0);
    return page;
}
