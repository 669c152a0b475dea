#include "shell/widgets/cell_edits.h"

#include <QMetaMethod>
#include <QWidget>

namespace rivulon::ui {

bool endCellEdits(QWidget* window) {
    if (!window) {
        return false;
    }
    bool ended = false;
    // The controls come from a library the program does not link, so they
    // are reached through their meta-object.
    for (QObject* object : window->findChildren<QObject*>()) {
        const QMetaObject* meta = object->metaObject();
        const int index = meta->indexOfMethod("EndEdit()");
        if (index < 0) {
            continue;
        }
        bool one = false;
        if (meta->method(index).invoke(object, Qt::DirectConnection, Q_RETURN_ARG(bool, one))) {
            ended = ended || one;
        }
    }
    return ended;
}

}  // namespace rivulon::ui
