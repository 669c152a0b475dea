#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>

#include "app/MDIFrmMain.h"
#include "shell/edit_target.h"

// Copy, Cut and Paste act on the focused control of the active window
// through its edit target.

namespace {

QWidget* focusedControl(QWidget* form) {
    return form ? form->focusWidget() : nullptr;
}

// Alt (or Alt+E) gives the menu bar the keyboard, and a text box losing the
// focus to it drops its selection; Copy from the keyboard would then find
// nothing selected and empty the clipboard. The box is told it lost the
// focus to a popup instead, as when the menu is opened with the mouse, so
// both paths find the same selection in the same box.
class MenuFocusGuard : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::FocusOut || passing_) {
            return false;
        }
        auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() != Qt::MenuBarFocusReason || !qobject_cast<QLineEdit*>(watched)) {
            return false;
        }
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        passing_ = true;
        QCoreApplication::sendEvent(watched, &popup);
        passing_ = false;
        return true;
    }

  private:
    bool passing_ = false;
};

}  // namespace

void MDIFrmMain::keepSelectionsForMenus() {
    qApp->installEventFilter(new MenuFocusGuard(this));
}

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
