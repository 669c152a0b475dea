#include <QAction>
#include <QApplication>

#include "shell/MDIFrmMain.h"
#include "shell/edit_target.h"

// Copy, Cut and Paste act on the focused control of the active window
// through its edit target.

namespace {

QWidget* focusedControl(QWidget* form) {
    return form ? form->focusWidget() : nullptr;
}

}  // namespace

void MDIFrmMain::MnuEdit_Open() {
    std::unique_ptr<rivulon::ui::EditTarget> adapter;
    rivulon::ui::EditTarget* target =
        rivulon::ui::editTargetFor(focusedControl(activeChild()), adapter);
    actions_.value("MnuCopy")->setEnabled(target && target->canCopy());
    actions_.value("MnuCut")->setEnabled(target && target->canCut());
    actions_.value("MnuPaste")->setEnabled(target && target->canPaste());
}

void MDIFrmMain::MnuCopy_Click() {
    std::unique_ptr<rivulon::ui::EditTarget> adapter;
    if (auto* target = rivulon::ui::editTargetFor(focusedControl(activeChild()), adapter);
        target && target->canCopy()) {
        target->copy();
    }
}

void MDIFrmMain::MnuCut_Click() {
    std::unique_ptr<rivulon::ui::EditTarget> adapter;
    if (auto* target = rivulon::ui::editTargetFor(focusedControl(activeChild()), adapter);
        target && target->canCut()) {
        target->cut();
    }
}

void MDIFrmMain::MnuPaste_Click() {
    std::unique_ptr<rivulon::ui::EditTarget> adapter;
    if (auto* target = rivulon::ui::editTargetFor(focusedControl(activeChild()), adapter);
        target && target->canPaste()) {
        target->paste();
    }
}
