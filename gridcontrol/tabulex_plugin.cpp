#include "gridcontrol/tabulex_plugin.h"

#include "gridcontrol/grid_editable.h"

namespace tabulex {

QStringList TabulexPlugin::classNames() const {
    return {QStringLiteral("GridEditable")};
}

QWidget* TabulexPlugin::create(const QString& className, QWidget* parent) {
    if (className != QLatin1String("GridEditable"))
        return nullptr;
    auto* grid = new GridEditable(parent);
    grid->setObjectName(className);
    ++live_;
    connect(grid, &QObject::destroyed, this, [this] { --live_; });
    return grid;
}

}  // namespace tabulex
