#include "shell/install_check.h"

#include "gridcontrol/tabulex_loader.h"
#include "shell/data_paths.h"
#include "shell/help_service.h"

namespace rivulon::ui {

InstallReport checkInstall() {
    InstallReport report;
    const auto line = [&report](const QString& part, const QString& where) {
        report.text += part + QStringLiteral(": ") +
                       (where.isEmpty() ? QStringLiteral("missing") : where) + QLatin1Char('\n');
        report.ok = report.ok && !where.isEmpty();
    };
    line(QStringLiteral("user guide"), helpFolder());
    line(QStringLiteral("example project"), exampleProjectFolder());
    QString error;
    line(QStringLiteral("grid control"),
         tabulex::findPlugin(QStringLiteral("GridEditable"), &error));
    return report;
}

}  // namespace rivulon::ui
