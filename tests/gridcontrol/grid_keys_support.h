#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <memory>

#include "gridcontrol/grid_handle.h"
#include "gridcontrol/tabulex_loader.h"

// A GridEditable the size of a 100-year weather table (37,701 rows, three
// columns), shown and with the keyboard focus on its inner grid.
struct HundredYearGrid {
    std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
    QWidget* grid = nullptr;
    QWidget* fg2 = nullptr;

    HundredYearGrid() {
        QString error;
        grid = tabulex::createControl(QStringLiteral("GridEditable"), host.get(), &error);
        if (!grid) {
            ADD_FAILURE() << error.toStdString();
            return;
        }
        grid->setGeometry(0, 0, 500, 400);
        host->resize(520, 420);
        tabulex::GridHandle g(grid);
        g.set("Redraw", false);
        g.setCols(3);
        g.setRows(377 * 100 + 1);
        for (int r = 1; r < g.rows(); ++r) {
            g.setTextMatrix(r, 0, QString::number(r));
            g.setTextMatrix(r, 1, QStringLiteral("10"));
        }
        g.set("Redraw", true);
        host->show();
        fg2 = grid->findChild<QWidget*>(QStringLiteral("Fg2"));
        fg2->setFocus();
    }
    int row() const { return tabulex::GridHandle(grid).row(); }
    int topRow() const { return fg2->property("TopRow").toInt(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(fg2, key, modifiers);
    }
};

inline int runGridTests(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
