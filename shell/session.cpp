#include "shell/session.h"

#include <QDir>
#include <utility>

#include "shell/app_folder.h"

namespace {

// What the user chooses of a project, leaving aside the graph scales, which
// the graph window keeps whatever runs.
bool sameChoices(rivulon::ProjectSettings a, const rivulon::ProjectSettings& b) {
    a.graphScale = b.graphScale;
    return a == b;
}

bool sameChoices(rivulon::RunOptions a, const rivulon::RunOptions& b) {
    a.graphScale = b.graphScale;
    return a == b;
}

}  // namespace

rivulon::ui::HandOver Session::takeJobResult(rivulon::ui::JobResult&& result,
                                             const rivulon::ProjectSettings& settingsAtStart,
                                             const rivulon::RunOptions& optionsAtStart) {
    rivulon::ui::HandOver taken;
    if (!result.leaves || !sameChoices(settings, settingsAtStart)) {
        return taken;
    }
    const rivulon::ProjectSettings settingsBefore = settings;
    const rivulon::RunOptions current = state.options;
    taken.settings = true;
    taken.options = sameChoices(current, optionsAtStart);
    const auto scales = settings.graphScale;
    settings = std::move(result.settings);
    settings.graphScale = scales;
    state = std::move(result.state);
    if (!taken.options) {
        const std::int16_t years = state.options.yearCount;
        const std::int16_t level = state.options.simLevel;
        state.options = current;
        state.options.yearCount = years;
        state.options.simLevel = level;
    }
    state.options.graphScale = current.graphScale;
    setResults(result.ran);
    if (!(state.options == current)) {
        announceOptions();
    }
    if (!(settings == settingsBefore)) {
        announceFiles();
    }
    return taken;
}

QString Session::outputFolder() const {
    if (!settings.outputFolder.empty()) {
        return QDir::cleanPath(QString::fromStdString(settings.outputFolder));
    }
    const QString root =
        applicationFolder.isEmpty() ? rivulon::ui::applicationFolder() : applicationFolder;
    return root + QStringLiteral("/Output");
}
