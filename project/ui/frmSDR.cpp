#include "project/ui/frmSDR.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "analysis/value_format.h"
#include "common/list_reader.h"
#include "project/transport_editing.h"
#include "shell/dialogs.h"

frmSDR::frmSDR(rivulon::ui::WindowHost&) {
    setObjectName("frmSDR");
    setWindowTitle(QStringLiteral("Calculate SDR"));
    auto* heading = new QLabel(
        QStringLiteral("Calculate sediment delivery ratio (SDR) based on watershed size"));
    heading->setWordWrap(true);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    TxtArea = new QLineEdit(this);
    TxtArea->setObjectName("TxtArea");
    cmdCalculate = new QPushButton(QStringLiteral("Calculate"), this);
    cmdCalculate->setObjectName("cmdCalculate");
    cmdCalculate->setDefault(true);
    TxtSDR = new QLineEdit(this);
    TxtSDR->setObjectName("TxtSDR");
    TxtSDR->setReadOnly(true);
    connect(cmdCalculate, &QPushButton::clicked, this, &frmSDR::cmdCalculate_Click);
    connect(TxtArea, &QLineEdit::returnPressed, this, &frmSDR::cmdCalculate_Click);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Watershed Area (square miles):")), 0, 0);
    grid->addWidget(TxtArea, 0, 1);
    auto* note = new QLabel(QStringLiteral("(1 square mile = 2.59 square km.)"));
    grid->addWidget(note, 1, 0, 1, 2);
    grid->addWidget(cmdCalculate, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("SDR:")), 3, 0);
    grid->addWidget(TxtSDR, 3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(grid);
    layout->addStretch();
}

void frmSDR::cmdCalculate_Click() {
    TxtSDR->clear();
    double area = 0;
    if (!rivulon::parseDouble(TxtArea->text().toStdString(), area) || !(area > 0) ||
        !std::isfinite(area)) {
        rivulon::ui::warnBox(this,
                             QStringLiteral("Please input a valid number (>0) in the area box!"));
        return;
    }
    TxtSDR->setText(
        QString::fromStdString(rivulon::plainNumber(rivulon::sedimentDeliveryRatio(area))));
}

namespace {

const rivulon::ui::WindowCommand kfrmSDRCommands[] = {
    {.id = "MnuSDR",
     .caption = "Get &Sediment Delivery Ratio",
     .menu = "MnuTools",
     .after = "MnuCompEnsemble"},
};

}  // namespace

const rivulon::ui::WindowRegistration frmSDR::registration{kKind, &rivulon::ui::makeWindow<frmSDR>,
                                                           true, 62, kfrmSDRCommands};
