#pragma once

#include <QCoreApplication>
#include <QMdiSubWindow>
#include <functional>
#include <vector>

#include "app/MDIFrmMain.h"
#include "engine/ui/FrmGraph.h"
#include "engine/ui/FrmSeepage.h"
#include "project/ui/FrmStart.h"
#include "shell/jobs.h"

// The windows of a main window by kind, for the tests.
inline FrmStart* startWindow(MDIFrmMain& w) {
    return qobject_cast<FrmStart*>(w.findWindow(rivulon::ui::WindowKind::Start));
}
inline FrmGraph* graphWindow(MDIFrmMain& w, bool create = false) {
    return qobject_cast<FrmGraph*>(create ? w.openWindow(rivulon::ui::WindowKind::Graph)
                                          : w.findWindow(rivulon::ui::WindowKind::Graph));
}
inline FrmSeepage* seepageWindow(MDIFrmMain& w) {
    return qobject_cast<FrmSeepage*>(w.findWindow(rivulon::ui::WindowKind::Seepage));
}
// Adds a window the test made and shows its frame.
inline QMdiSubWindow* addShown(MDIFrmMain& w, QWidget* window) {
    w.addChild(window);
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    sub->show();
    return sub;
}
// Lets the run in flight end and its end be announced.
inline void waitForRun(MDIFrmMain& w) {
    w.jobs().waitForEnd();
    QCoreApplication::processEvents();
}
// Calls `each` with every progress batch of the jobs started from now on,
// while `context` lives.
inline void onJobProgress(MDIFrmMain& w, QObject* context,
                          std::function<void(const std::vector<rivulon::RunEvent>&)> each) {
    QObject::connect(&w.jobs(), &rivulon::ui::Jobs::jobStarted, context,
                     [context, each](rivulon::ui::Job* job) {
                         QObject::connect(job, &rivulon::ui::Job::progress, context, each);
                     });
}
