// Writes screenshots of the map and database windows on the example project
// for a person to look at: ui_maps_screenshots OUTPUT_FOLDER
// (offscreen, or under xvfb-run to see the window system's frames).
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "app/MDIFrmMain.h"
#include "mapdb/ui/FrmView.h"
#include "mapdb/ui/frmCounty.h"
#include "mapdb/ui/frmDB.h"

namespace {

void save(MDIFrmMain& w, const QString& folder, const QString& name) {
    QApplication::processEvents();
    w.grab().save(folder + "/" + name + ".png");
}

void only(MDIFrmMain& w, QWidget* window) {
    for (QMdiSubWindow* sub : w.mdiArea()->subWindowList()) {
        if (sub->widget() != window) {
            sub->showMinimized();
        }
    }
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    sub->showNormal();
    sub->move(10, 10);
    w.mdiArea()->setActiveSubWindow(sub);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    QTemporaryDir home;
    qputenv("RIVULON_HOME", home.path().toUtf8());
    QDir().mkpath(home.path() + "/Input");
    const QDir examples(QStringLiteral(RIVULON_SOURCE_DIR "/examples/Millbrook"));
    for (const QString& name : examples.entryList(QDir::Files)) {
        QFile::copy(examples.absoluteFilePath(name), home.path() + "/Input/" + name);
    }
    MDIFrmMain w;
    w.resize(1200, 820);
    w.show();
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            modal->findChild<QPushButton*>("btnGetFile")->click();
        }
    });
    timer->start();
    w.MDIForm_Load();

    struct Shot {
        const char* command;
        QPoint at;
        const char* name;
    };
    for (const Shot& s :
         {Shot{"MnuLUMap", {290, 230}, "map_landuse"}, Shot{"MnuSoilMap", {17, 5}, "map_soil"},
          Shot{"MnuCountyMap", {70, 230}, "map_county"}}) {
        w.action(s.command)->trigger();
        auto* v = qobject_cast<FrmView*>(w.findWindow(FrmView::kKind));
        only(w, v);
        v->pointAt(s.at.x(), s.at.y());
        if (QWidget* county = w.findWindow(frmCounty::kKind)) {
            auto* sub = qobject_cast<QMdiSubWindow*>(county->parentWidget());
            sub->showNormal();
            sub->move(650, 10);
        }
        save(w, out, s.name);
    }
    w.action("MnuLandUse")->trigger();
    auto* d = qobject_cast<frmDB*>(w.findWindow(frmDB::kKind));
    only(w, d);
    save(w, out, "db_landuse");
    w.action("MnuPopulation")->trigger();
    save(w, out, "db_population");
    d->ChkToEnableBtn->click();
    save(w, out, "db_population_editable");
    w.menu("MnuCountyArray")->actions().value(2)->trigger();
    auto* c = qobject_cast<frmCounty*>(w.findWindow(frmCounty::kKind));
    only(w, c);
    save(w, out, "county_record");
    return 0;
}
