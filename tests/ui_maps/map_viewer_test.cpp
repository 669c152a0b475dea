#include <gtest/gtest.h>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QWheelEvent>

#include "app/MDIFrmMain.h"
#include "mapdb/ui/FrmView.h"
#include "mapdb/ui/frmCounty.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui_maps/maps_test_support.h"

namespace {

FrmView* mapWindow(MDIFrmMain& w) {
    return qobject_cast<FrmView*>(w.findWindow(FrmView::kKind));
}
frmCounty* countyWindow(MDIFrmMain& w) {
    return qobject_cast<frmCounty*>(w.findWindow(frmCounty::kKind));
}
QString hintAt(FrmView& v, int x, int y) {
    v.pointAt(x, y);
    return v.TxtHint->isVisible() ? v.TxtHint->text() : QString();
}

// The example's maps (examples/make_maps.py): legend boxes 16 px wide from
// column 18i+1, white gaps between them, black streams through (400, 200),
// background outside the watershed at (2, 400), deciduous forest at (290, 230).
TEST(MapViewer, HintsNameLegendCategoriesAndUndefinedColours) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.resize(1100, 800);
    startOnProject(w);
    ASSERT_TRUE(w.action("MnuLUMap")->isEnabled());
    w.action("MnuLUMap")->trigger();
    FrmView* v = mapWindow(w);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->windowTitle(), "Land Use Map");
    EXPECT_TRUE(v->isVisible());
    EXPECT_EQ(v->PicView->size(), QSize(560, 420));
    ASSERT_EQ(v->legendColors().size(), 11u);
    EXPECT_EQ(v->legendColors()[2], 190 + 160 * 256 + 60 * 65536);

    EXPECT_EQ(hintAt(*v, 45, 5), "Soybeans");
    EXPECT_EQ(hintAt(*v, 17, 5), "16777215 Undefined");
    EXPECT_EQ(hintAt(*v, 400, 200), "0 Undefined");
    EXPECT_EQ(hintAt(*v, 2, 400), "Background");
    EXPECT_EQ(hintAt(*v, 290, 230), "Forest (deciduous)");

    // A real pointer move shows the hint beside the pointer.
    QTest::mouseMove(v->PicView, QPoint(27, 5));
    QTRY_COMPARE(v->TxtHint->text(), QString("Corn"));
    EXPECT_TRUE(v->TxtHint->isVisible());
    EXPECT_GT(v->TxtHint->x(), 27);

    // The soil map reuses the window and reads the soil legend, not the land-use one.
    w.action("MnuSoilMap")->trigger();
    ASSERT_EQ(mapWindow(w), v);
    EXPECT_EQ(v->windowTitle(), "Soil Map");
    EXPECT_FALSE(v->TxtHint->isVisible());
    EXPECT_EQ(hintAt(*v, 27, 5), "Chenango gravelly loam (A)");
    EXPECT_EQ(hintAt(*v, 2, 400), "Outside the watershed");
    EXPECT_EQ(hintAt(*v, 400, 200), "0 Undefined");
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

TEST(MapViewer, CountyBoxOpensItsRecordOncePerEntry) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.resize(1100, 800);
    startOnProject(w);
    w.action("MnuCountyMap")->trigger();
    FrmView* v = mapWindow(w);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->windowTitle(), "County Map");

    EXPECT_EQ(hintAt(*v, 10, 10), "Click On County's Name Please!");
    EXPECT_EQ(countyWindow(w), nullptr);
    // Cedar Run's label is at (60, 210): its box runs to x 219, y 259.
    EXPECT_EQ(hintAt(*v, 61, 211), "Cedar Run");
    frmCounty* c = countyWindow(w);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->windowTitle(), "Cedar Run");
    EXPECT_EQ(c->txtFields[3]->text(), "4870");

    // Moving inside the same box does not look the record up again.
    c->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(hintAt(*v, 150, 240), "Cedar Run");
    EXPECT_EQ(countyWindow(w), nullptr);
    EXPECT_EQ(hintAt(*v, 60 + 161, 215), "Click On County's Name Please!");
    // Entering again (here straight into Lower Millbrook's box) does.
    EXPECT_EQ(hintAt(*v, 400, 320), "Lower Millbrook");
    ASSERT_NE(countyWindow(w), nullptr);
    EXPECT_EQ(countyWindow(w)->windowTitle(), "Lower Millbrook");
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();

    // Without a database the project's name is the hint and nothing is looked up.
    countyWindow(w)->close();
    QCoreApplication::processEvents();
    w.session().settings.databasePath = "Not Found";
    EXPECT_EQ(hintAt(*v, 10, 10), "Click On County's Name Please!");
    EXPECT_EQ(hintAt(*v, 141, 61), "Upper Millbrook");
    EXPECT_EQ(hintAt(*v, 142, 62), "Upper Millbrook");
    EXPECT_EQ(countyWindow(w), nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

TEST(MapViewer, UnreadableAndLargeMaps) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.resize(1100, 800);
    startOnProject(w);
    auto* v = qobject_cast<FrmView*>(w.openWindow(FrmView::kKind));
    ASSERT_NE(v, nullptr);
    w.showChild(v);

    v->Loadmap(home.input() + "/Missing.bmp", 1);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("Missing.bmp")) << dialogs.messages[0].toStdString();
    EXPECT_EQ(hintAt(*v, 5, 5), "");  // nothing to point at, and no further message
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_FALSE(v->HScroll1->isVisible());

    // 3,000 x 2,600 px: far beyond what 16-bit twips could scroll.
    QImage big(3000, 2600, QImage::Format_RGB32);
    big.fill(Qt::white);
    big.setPixelColor(2990, 2590, QColor(255, 215, 0));  // corn, bottom right
    const QString bigFile = home.input() + "/Big.bmp";
    ASSERT_TRUE(big.save(bigFile));
    v->resize(600, 480);
    v->Loadmap(bigFile, 1);
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(v->HScroll1->isVisible());
    EXPECT_TRUE(v->VScroll1->isVisible());
    const int viewW = v->PicFrame->width() - v->VScroll1->width();
    EXPECT_EQ(v->HScroll1->maximum(), 3000 - viewW);
    EXPECT_GT(v->HScroll1->maximum() * 15, 32767);
    v->HScroll1->setValue(v->HScroll1->maximum());
    v->VScroll1->setValue(v->VScroll1->maximum());
    EXPECT_EQ(v->PicView->x(), -v->HScroll1->maximum());
    // The last pixel column shows just left of the vertical bar.
    EXPECT_EQ(v->PicView->mapTo(v->PicFrame, QPoint(2999, 0)).x(), viewW - 1);
    EXPECT_EQ(hintAt(*v, 2990, 2590), "55295 Undefined");  // 255 + 215 * 256

    // The close button stays centred below the frame when the window grows.
    v->resize(900, 700);
    EXPECT_EQ(v->cmdClose->y(), v->PicFrame->geometry().bottom() + 1 + 6);
    EXPECT_NEAR(v->cmdClose->geometry().center().x(), v->PicFrame->geometry().center().x(), 1);
    EXPECT_EQ(v->HScroll1->maximum(), 3000 - (v->PicFrame->width() - v->VScroll1->width()));
}

void wheelOn(QWidget* target, QPoint at, int notches, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(QPointF(at), QPointF(target->mapToGlobal(at)), QPoint(),
                      QPoint(0, 120 * notches), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
}

// The legend beside the map names the categories with the colours the map
// uses; zoom keeps hints on the pixel under the pointer; export saves the
// part of the map shown.
TEST(MapViewer, LegendZoomScrollAndExport) {
    ScriptedDialogs dialogs;
    ExampleHome home;
    MDIFrmMain w;
    w.resize(1100, 800);
    startOnProject(w);
    w.action("MnuLUMap")->trigger();
    FrmView* v = mapWindow(w);
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(v->lstLegend->isVisible());
    ASSERT_EQ(v->lstLegend->count(), 11);
    for (int i = 0; i < v->lstLegend->count(); ++i) {
        // Each legend row is the category the map's own box i is named by.
        EXPECT_EQ(v->lstLegend->item(i)->text(), hintAt(*v, 18 * i + 9, 5)) << i;
        const QImage box = v->lstLegend->item(i)->icon().pixmap(16, 12).toImage();
        const QColor c = box.pixelColor(8, 6);
        EXPECT_EQ(c.red() + 256 * c.green() + 65536 * c.blue(), v->legendColors()[i]) << i;
    }
    // The window opens showing the whole map, the legend in its own room beside it.
    EXPECT_EQ(v->PicView->size(), QSize(560, 420));
    EXPECT_FALSE(v->HScroll1->isVisible());
    EXPECT_FALSE(v->VScroll1->isVisible());
    EXPECT_FALSE(v->lstLegend->geometry().intersects(v->PicFrame->geometry()));

    // Ctrl+wheel zooms in around the pointer; the hint follows the map pixel.
    wheelOn(v->PicView, QPoint(10, 10), 2, Qt::ControlModifier);
    EXPECT_NEAR(v->zoom(), 1.5625, 1e-9);
    EXPECT_EQ(v->PicView->size(), QSize(875, 656));
    v->HScroll1->setValue(0);
    v->VScroll1->setValue(0);
    QTest::mouseMove(v->PicView,
                     QPoint(static_cast<int>(27 * v->zoom()), static_cast<int>(5 * v->zoom())));
    QTRY_COMPARE(v->TxtHint->text(), QString("Corn"));
    // (a QTRY that fails returns without telling gtest; this line tells it)
    ASSERT_EQ(v->TxtHint->text(), "Corn");
    EXPECT_EQ(hintAt(*v, 45, 5), "Soybeans");

    // The wheel alone scrolls once the map is larger than the frame.
    v->parentWidget()->resize(500, 400);
    ASSERT_TRUE(v->VScroll1->isVisible());
    v->VScroll1->setValue(0);
    wheelOn(v->PicView, QPoint(50, 50), -1, Qt::NoModifier);
    EXPECT_GT(v->VScroll1->value(), 0);
    EXPECT_EQ(v->PicView->y(), -v->VScroll1->value());

    // Export writes exactly what the frame shows, map pixels scaled as drawn.
    v->HScroll1->setValue(40);
    v->VScroll1->setValue(30);
    const QString png = home.dir.path() + "/Output/Land.png";
    dialogs.fileAnswers << png;
    QTest::mouseClick(v->cmdExport, Qt::LeftButton);
    QImage saved(png);
    ASSERT_FALSE(saved.isNull()) << dialogs.messages.join("\n").toStdString();
    EXPECT_EQ(saved, v->visibleImage().convertToFormat(saved.format()));
    EXPECT_EQ(saved.width(), v->PicFrame->width() - v->VScroll1->width());
    // Zoomed map pixels keep their colours (no blending), so hints and
    // the legend still hold for the exported picture.
    const QImage map =
        QImage(home.input() + "/MillbrookLanduse.bmp").convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> mapColours;
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width(); ++x) {
            mapColours.insert(map.pixel(x, y));
        }
    }
    const QImage shown = saved.convertToFormat(QImage::Format_RGB32);
    int foreign = 0;
    for (int y = 0; y < shown.height(); y += 3) {
        for (int x = 0; x < shown.width(); x += 3) {
            foreign += mapColours.contains(shown.pixel(x, y)) ? 0 : 1;
        }
    }
    EXPECT_EQ(foreign, 0);

    // Fit shows the whole map without bars; 100 % goes back to map pixels.
    QTest::mouseClick(v->cmdFit, Qt::LeftButton);
    EXPECT_LT(v->zoom(), 1.0);
    EXPECT_FALSE(v->HScroll1->isVisible());
    EXPECT_FALSE(v->VScroll1->isVisible());
    EXPECT_LE(v->PicView->width(), v->PicFrame->width());
    EXPECT_LE(v->PicView->height(), v->PicFrame->height());
    QTest::mouseClick(v->cmdActualSize, Qt::LeftButton);
    EXPECT_EQ(v->zoom(), 1.0);
    EXPECT_EQ(v->PicView->size(), QSize(560, 420));

    // The soil map's legend holds the soil names; the county map has none.
    w.action("MnuSoilMap")->trigger();
    ASSERT_GT(v->lstLegend->count(), 1);
    EXPECT_EQ(v->lstLegend->item(1)->text(), "Chenango gravelly loam (A)");
    w.action("MnuCountyMap")->trigger();
    EXPECT_FALSE(v->lstLegend->isVisible());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("\n").toStdString();
}

}  // namespace
