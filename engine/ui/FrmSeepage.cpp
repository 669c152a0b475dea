#include "engine/ui/FrmSeepage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/option_rules.h"
#include "shell/PictureBox.h"
#include "shell/dialogs.h"
#include "shell/session.h"

using rivulon::ui::warnBox;

void FrmSeepage::open(rivulon::ui::WindowHost& host, bool variableConcentration) {
    if (QWidget* old = host.findWindow(kKind)) {
        old->close();
    }
    auto* window = new FrmSeepage(host);
    host.addChild(window);
    if (variableConcentration) {
        window->SetVarConc();
    }
    host.fitFrame(window);
    host.showChild(window);
}

void FrmSeepage::openSeepage(rivulon::ui::WindowHost& host) {
    open(host, false);
}

void FrmSeepage::openVariableConcentration(rivulon::ui::WindowHost& host) {
    open(host, true);
}

FrmSeepage::FrmSeepage(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("FrmSeepage");
    setWindowTitle(QStringLiteral("Seepage Parameters"));
    static const char* const captions[4] = {"Max. Seepage Coefficient (day^-1)",
                                            "Daily Seepage (cm/day):", "Annual Seepage (cm/year):",
                                            "Minimum Streamflow for Zero Seepage:"};
    grid_ = new QGridLayout;
    QGridLayout* grid = grid_;
    for (int i = 0; i < 4; ++i) {
        Label1[i] = new QLabel(QString::fromLatin1(captions[i]), this);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Text1[i] = new QLineEdit(QStringLiteral("0"), this);
        Text1[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        Text1[i]->setFixedWidth(90);
        grid->addWidget(Label1[i], i, 0);
        grid->addWidget(Text1[i], i, 1);
    }
    // The fourth value cannot be typed in this mode: its label explains instead.
    Text1[3]->hide();
    grid->removeWidget(Label1[3]);
    grid->addWidget(Label1[3], 3, 0, 1, 2);
    Label1[3]->setText(QStringLiteral(
        "For most watersheds, seepage has to be estimated by the model calibration."));
    Label1[3]->setWordWrap(true);
    QPalette blue = Label1[3]->palette();
    blue.setColor(QPalette::WindowText, PictureBox::qbColor(9));
    Label1[3]->setPalette(blue);

    OptSeepOut = new QCheckBox(
        QStringLiteral("Output flow and variable seepage coefficients to file: SeepCoef.txt"),
        this);
    OptSeepOut->setObjectName("OptSeepOut");
    auto makeButton = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cmdSet = makeButton("Set", "cmdSet");
    CmdDefault = makeButton("Try Default", "CmdDefault");
    CmdCancel = makeButton("Cancel", "CmdCancel");
    CmdSetV = makeButton("Set", "CmdSetV");
    CmdDefaultV = makeButton("Default", "CmdDefaultV");
    cmdCancelV = makeButton("Cancel", "cmdCancelV");
    CmdSetV->hide();
    CmdDefaultV->hide();
    cmdCancelV->hide();
    connect(cmdSet, &QPushButton::clicked, this, &FrmSeepage::cmdSet_Click);
    connect(CmdDefault, &QPushButton::clicked, this, &FrmSeepage::CmdDefault_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmSeepage::CmdCancel_Click);
    connect(CmdSetV, &QPushButton::clicked, this, &FrmSeepage::CmdSetV_Click);
    connect(CmdDefaultV, &QPushButton::clicked, this, &FrmSeepage::CmdDefaultV_Click);
    connect(cmdCancelV, &QPushButton::clicked, this, &FrmSeepage::cmdCancelV_Click);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdSet, CmdDefault, CmdCancel, CmdSetV, CmdDefaultV, cmdCancelV}) {
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(OptSeepOut);
    layout->addLayout(buttons);
    layout->addStretch();
}

void FrmSeepage::SetVarConc() {
    varConcMode_ = true;
    cmdSet->hide();
    CmdDefault->hide();
    CmdCancel->hide();
    OptSeepOut->hide();
    CmdSetV->show();
    CmdDefaultV->show();
    cmdCancelV->show();
    static const char* const captions[4] = {
        "Set nutrient coef. using a*Q^b,  a = ?", "Set nutrient coef. using a*Q^b,  b = ?",
        "Low limit of the nutrient coefficient:", "High limit of the nutrient coefficient:"};
    QGridLayout* grid = grid_;
    grid->removeWidget(Label1[3]);
    grid->addWidget(Label1[3], 3, 0);
    Label1[3]->setWordWrap(false);
    Label1[3]->setPalette(Label1[0]->palette());
    for (int i = 0; i < 4; ++i) {
        Label1[i]->setText(QString::fromLatin1(captions[i]));
        Text1[i]->setText(QStringLiteral("1"));
    }
    Text1[3]->show();
    setWindowTitle(QStringLiteral("Set variable control for nutrient concentration."));
}

namespace {

// The window's own message, then the box and value that made it refuse.
QString refusal(const std::string& message, const std::string& detail) {
    return QString::fromStdString(detail.empty() ? message : message + "\n" + detail);
}

}  // namespace

std::array<std::string, 4> FrmSeepage::boxes() const {
    std::array<std::string, 4> texts;
    for (int i = 0; i < 4; ++i) {
        texts[i] = Text1[i]->text().toStdString();
    }
    return texts;
}

void FrmSeepage::cmdSet_Click() {
    const rivulon::SeepageChoice choice = rivulon::acceptSeepage(boxes(), OptSeepOut->isChecked());
    if (!choice.accepted) {
        warnBox(this, refusal(choice.message, choice.detail));
        return;
    }
    rivulon::applySeepage(choice, host_.session().state.options);
    host_.session().announceOptions();
    close();
}

void FrmSeepage::CmdDefault_Click() {
    const auto& defaults = host_.session().settings.seepDefaults;
    for (int i = 0; i < 4; ++i) {
        Text1[i]->setText(QString::number(defaults[i], 'g', 7));
    }
}

void FrmSeepage::CmdCancel_Click() {
    close();
}

void FrmSeepage::CmdSetV_Click() {
    const rivulon::VarConcChoice choice = rivulon::acceptVarConc(boxes());
    if (!choice.accepted) {
        warnBox(this, refusal(choice.message, choice.detail));
        return;
    }
    rivulon::applyVarConc(choice, host_.session().state.options);
    host_.session().announceOptions();
    close();
}

void FrmSeepage::CmdDefaultV_Click() {
    const auto& defaults = host_.session().settings.varConcDefaults;
    for (int i = 0; i < 4; ++i) {
        Text1[i]->setText(QString::number(defaults[i], 'g', 7));
    }
}

void FrmSeepage::cmdCancelV_Click() {
    host_.session().state.options.varConcOn = false;
    host_.session().announceOptions();
    close();
}

void FrmSeepage::seepageCommand(rivulon::ui::WindowHost& host) {
    Session& session = host.session();
    if (!session.switchOptionOff(session.state.options.seepControlOn)) {
        openSeepage(host);
    }
}

void FrmSeepage::variableConcentrationCommand(rivulon::ui::WindowHost& host) {
    Session& session = host.session();
    if (!session.switchOptionOff(session.state.options.varConcOn)) {
        openVariableConcentration(host);
    }
}

namespace {

const rivulon::ui::WindowCommand kFrmSeepageCommands[] = {
    {.id = "MnuSeepage",
     .caption = "&Add Seepage or Ouput Daily Flow",
     .menu = "MnuOption",
     .after = "MnuDelay",
     .run = &FrmSeepage::seepageCommand,
     .checkedWhen = +[](const Session& s) { return s.state.options.seepControlOn; }},
    {.id = "MnuVarConc",
     .caption = "Set &Variable Nutrient Control Coefficients",
     .menu = "MnuOption",
     .after = "MnuSeparator4",
     .run = &FrmSeepage::variableConcentrationCommand,
     .checkedWhen = +[](const Session& s) { return s.state.options.varConcOn; }},
};

}  // namespace

const rivulon::ui::WindowRegistration FrmSeepage::registration{
    kKind, &rivulon::ui::makeWindow<FrmSeepage>, true, 6, kFrmSeepageCommands};
