#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "app/MDIFrmMain.h"
#include "shell/dialogs.h"

// Cascade, tiles, minimised windows in a row, the Windows menu's list and the
// frame's title.

namespace {

QList<QMdiSubWindow*> openWindows(QMdiArea* area) {
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* w : area->subWindowList()) {
        if (w->isVisible() && !w->isMinimized()) {
            open.append(w);
        }
    }
    return open;
}

}  // namespace

void MDIFrmMain::MnuCascade_Click() {
    mdiArea_->cascadeSubWindows();
}

void MDIFrmMain::Mnuhorizontal_Click() {
    // Full-width windows stacked from top to bottom.
    const QList<QMdiSubWindow*> open = openWindows(mdiArea_);
    if (open.isEmpty()) {
        return;
    }
    const QRect area = mdiArea_->viewport()->rect();
    const int height = area.height() / static_cast<int>(open.size());
    for (int i = 0; i < open.size(); ++i) {
        open[i]->showNormal();
        open[i]->setGeometry(0, i * height, area.width(), height);
    }
}

void MDIFrmMain::MnuVertical_Click() {
    const QList<QMdiSubWindow*> open = openWindows(mdiArea_);
    if (open.isEmpty()) {
        return;
    }
    const QRect area = mdiArea_->viewport()->rect();
    const int width = area.width() / static_cast<int>(open.size());
    for (int i = 0; i < open.size(); ++i) {
        open[i]->showNormal();
        open[i]->setGeometry(i * width, 0, width, area.height());
    }
}

void MDIFrmMain::MnuArrangeIcons_Click() {
    // Minimised windows in a row along the bottom edge.
    const QRect area = mdiArea_->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) {
        if (w->isVisible() && w->isMinimized()) {
            const QSize size = w->size();
            if (x > 0 && x + size.width() > area.width()) {
                x = 0;
            }
            w->move(x, area.height() - size.height());
            x += size.width();
        }
    }
}

void MDIFrmMain::mnuWindows_Open() {
    QMenu* menu = menus_.value("mnuWindows");
    qDeleteAll(windowItems_);
    windowItems_.clear();
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    bool first = true;
    int number = 1;
    for (QMdiSubWindow* w : windows) {
        if (!w->isVisible()) {
            continue;
        }
        if (first) {
            windowItems_.append(menu->addSeparator());
            first = false;
        }
        auto* item =
            new QAction(QStringLiteral("&%1 %2").arg(number++).arg(w->windowTitle()), menu);
        item->setCheckable(true);
        item->setChecked(w == mdiArea_->activeSubWindow());
        connect(item, &QAction::triggered, this, [this, w] {
            // A window chosen from the list comes back from its icon.
            if (w->isMinimized()) {
                w->showNormal();
            }
            mdiArea_->setActiveSubWindow(w);
        });
        menu->addAction(item);
        windowItems_.append(item);
    }
}

void MDIFrmMain::followActiveWindow() {
    // Queued, so that the title is set after the area's own changes to it (a
    // maximised window puts its caption there and takes it back when closed).
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &MDIFrmMain::showActiveTitle,
            Qt::QueuedConnection);
    // A maximised window writes its caption into the frame's title when the
    // area thinks fit, even while another window is active: put it right.
    connect(this, &QWidget::windowTitleChanged, this, &MDIFrmMain::showActiveTitle,
            Qt::QueuedConnection);
}

void MDIFrmMain::showActiveTitle() {
    // The current window when the frame itself is not the active one.
    QMdiSubWindow* active =
        mdiArea_->activeSubWindow() ? mdiArea_->activeSubWindow() : mdiArea_->currentSubWindow();
    if (active && !active->isVisible()) {
        active = nullptr;
    }
    // A maximised window behind the active one would keep its caption (and
    // its buttons) in the frame's title and menu bar: it goes back to its size.
    bool restored = false;
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) {
        if (active && w != active && w->isMaximized()) {
            w->showNormal();
            restored = true;
        }
    }
    if (restored) {
        // Restoring brings that window forward; the one chosen stays in front.
        mdiArea_->setActiveSubWindow(active);
        active->raise();
    }
    if (active) {
        // A caption the window changes later (a file read, a run done) follows too.
        connect(active, &QWidget::windowTitleChanged, this, &MDIFrmMain::showActiveTitle,
                static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection));
    }
    const QString caption = active ? active->windowTitle() : QString();
    const QString title = caption.isEmpty()
                              ? rivulon::ui::appTitle()
                              : QStringLiteral("%1 - [%2]").arg(rivulon::ui::appTitle(), caption);
    if (title != windowTitle()) {
        setWindowTitle(title);
    }
}
