#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <stdexcept>

#include "scenarios/septic_technology.h"
#include "scenarios/ui/FrmSeptic.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/session.h"

// The technology list: the editing panel (Add New, Change, OK, Cancel), a
// technology file read in, and the default list.

using rivulon::ui::errorBox;
using rivulon::ui::msgBox;
using rivulon::ui::qs;
using rivulon::ui::ss;
using rivulon::ui::warnBox;

namespace {

// The panel's heading, which also says what OK does.
const QString kAddNew = QStringLiteral("<Add New>"), kChange = QStringLiteral("<Change>");

}  // namespace

void FrmSeptic::fillCombo() {
    cboTechName->clear();
    for (const auto& t : table_) {
        cboTechName->addItem(qs(t.name));
    }
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

void FrmSeptic::cmdLoadData_Click() {
    lblTechName_0->setText(QStringLiteral("Technology Name"));
    showPanel(false);
    const QString folder =
        QDir(host_.session().applicationFolder).filePath(QStringLiteral("Input"));
    const QString path = rivulon::ui::dialogs().openFile(
        this, QStringLiteral("Open a septic technology file"), folder,
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

void FrmSeptic::CmdDefault_Click() {
    cboTechName->clear();
    SepticInitialization();
    lblTechName_0->setText(QStringLiteral("Technology Name"));
    cboTechName_Click();
}
