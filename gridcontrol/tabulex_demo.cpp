// Shows a GridEditable loaded the way the program loads it, with a few cells
// edited and one edit left open, so that a person can look at the result.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>

#include "gridcontrol/tabulex_loader.h"

namespace {

void typeInto(QWidget* target, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(target, &press);
    }
}

void pressKey(QWidget* target, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tabulex demo"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(
        new QLabel(QStringLiteral("Daily weather (10 days, 5 stations): edit in place")));

    QString error;
    QWidget* grid = tabulex::createControl(QStringLiteral("GridEditable"), &window, &error);
    if (!grid) {
        QMessageBox::critical(nullptr, QStringLiteral("Tabulex demo"), error);
        return 1;
    }
    grid->setObjectName(QStringLiteral("GridW"));
    layout->addWidget(grid);
    grid->setProperty("Rows", 11);
    grid->setProperty("Cols", 6);
    for (int r = 1; r <= 10; ++r) {
        for (int c = 1; c <= 5; ++c) {
            QMetaObject::invokeMethod(grid, "setTextMatrix", Q_ARG(int, r), Q_ARG(int, c),
                                      Q_ARG(QString, QString::number(r * 0.7 + c * 1.3, 'f', 2)));
        }
    }
    QMetaObject::invokeMethod(grid, "ChangeCellForeColor", Q_ARG(int, 7), Q_ARG(int, 2));
    window.resize(560, 330);
    window.show();
    window.activateWindow();

    QTimer::singleShot(300, &window, [grid] {
        auto* fg2 = grid->findChild<QWidget*>(QStringLiteral("Fg2"));
        auto* edit = grid->findChild<QWidget*>(QStringLiteral("TxtEdit"));
        fg2->setFocus();
        // One finished edit (red), then one left open over row 4, column 3.
        grid->setProperty("Row", 2);
        grid->setProperty("Col", 4);
        typeInto(fg2, QStringLiteral("9"));
        typeInto(edit, QStringLiteral(".75"));
        pressKey(edit, Qt::Key_Return);
        grid->setProperty("Row", 4);
        grid->setProperty("Col", 3);
        typeInto(fg2, QStringLiteral("1"));
        typeInto(edit, QStringLiteral("2.5"));
    });
    return app.exec();
}
