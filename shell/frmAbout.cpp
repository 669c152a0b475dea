#include "shell/frmAbout.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "shell/dialogs.h"
#include "shell/text_editor.h"

using namespace rivulon::ui;

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("About ") + appTitle());
    const QStringList version = QStringLiteral(RIVULON_VERSION).split('.');
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/rivulon.png")));
    auto* lblTitle = new QLabel(appTitle(), this);
    lblTitle->setObjectName("lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    auto* lblVersion =
        new QLabel(QStringLiteral("Version %1.%2.%3")
                       .arg(version.value(0, "0"), version.value(1, "0"), version.value(2, "0")),
                   this);
    lblVersion->setObjectName("lblVersion");
    auto* lblDescription = new QLabel(
        tr("A daily watershed model: it simulates the hydrology of a watershed, its water "
           "discharge, and the sediment and nutrient (N, P, organic C) loads that leave it."),
        this);
    lblDescription->setObjectName("lblDescription");
    lblDescription->setWordWrap(true);
    auto* lblDisclaimer =
        new QLabel(tr("Rivulon desktop program and the hydload command-line tool."), this);
    lblDisclaimer->setObjectName("lblDisclaimer");
    lblDisclaimer->setWordWrap(true);
    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(tr("&System Info..."), this);
    cmdSysInfo->setObjectName("cmdSysInfo");
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(lblDisclaimer, 3, 1);
    grid->addWidget(cmdOK, 0, 2);
    grid->addWidget(cmdSysInfo, 1, 2);
    grid->setColumnMinimumWidth(1, 320);
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

bool frmAbout::StartSysInfo() {
    if (startFirst(systemInfoCalls(programInstalled))) {
        return true;
    }
    warnBox(this, QStringLiteral("System Information Is Unavailable At This Time"));
    return false;
}
