#include "project/run_setup.h"

#include <algorithm>

#include "common/paths.h"
#include "common/read_error.h"
#include "engine/option_rules.h"
#include "project/project_file.h"
#include "project/startup.h"
#include "project/transport_file.h"

namespace rivulon {

OpenedProject openProjectForRun(const std::string& projectPath, const std::string& outputFolder) {
    OpenedProject p;
    ProjectSettings& s = p.settings;
    s.outputFolder = outputFolder;
    s.filesChosen = true;
    s.projectPath = projectPath;
    s.projectChosen = true;
    s.inputFolder = dirOfPath(projectPath);

    // Start-up only reports a project file it cannot read; read it first so
    // that the error keeps its place in the file.
    (void)readProjectFile(projectPath);

    StartupReport report;
    try {
        report = startup(s, p.state);
    } catch (const ReadError& e) {
        throw ReadError(e, std::string(kTransportFileMessage) + "\n");
    } catch (const FileError& e) {
        throw FileError(std::string(kTransportFileMessage) + "\n" + e.what());
    }
    p.messages = report.messages;
    p.warnings = report.warnings;
    if (!report.projectRead || !report.weatherScanned) {
        std::string text;
        for (const auto& m : report.messages)
            text += (text.empty() ? "" : "\n") + m;
        throw RunError(text.empty() ? "The project could not be opened." : text);
    }
    return p;
}

RunRequest applyRunChoices(const RunChoices& c, ProjectSettings& settings, ModelState& state) {
    RunOptions& o = state.options;
    if (c.level < 1 || c.level > 4)
        throw RunError("The level is 1 to 4, not " + std::to_string(c.level) + ".");
    if (c.years < 0 || c.years > 32767)
        throw RunError("The number of years is 1 to 32767, not " + std::to_string(c.years) + ".");
    if (c.popRate) {
        o.popRate = settings.popRate = *c.popRate;
        settings.popRateSource = c.popRateSource;
    }
    o.popGrowthExponential = c.expGrowth;
    if (c.septicReduction) {
        if (!(*c.septicReduction >= 0 && *c.septicReduction <= 1))
            throw RunError("The septic N reduction is a fraction from 0 to 1.");
        o.septicNReduction = *c.septicReduction;
    }
    if (c.seepage) {
        const SeepageChoice choice = acceptSeepage(*c.seepage, c.seepOutput);
        if (!choice.accepted)
            throw RunError(c.seepageLabel + ": " + choice.message + " " + choice.detail);
        applySeepage(choice, o);
    }
    o.seepOutput = c.seepOutput;
    if (c.varConc) {
        const VarConcChoice choice = acceptVarConc(*c.varConc);
        if (!choice.accepted)
            throw RunError(c.varConcLabel + ": " + choice.message + " " + choice.detail);
        applyVarConc(choice, o);
    }
    state.watershedName = !c.watershedName.empty()      ? c.watershedName
                          : !settings.basinName.empty() ? settings.basinName
                                                        : std::string("My River Basin");
    RunRequest request;
    request.yearCount =
        static_cast<std::int16_t>(c.years > 0 ? c.years : std::max<int>(settings.weatherYears, 1));
    request.simLevel = static_cast<std::int16_t>(c.level);
    request.keepSeepLog = true;
    return request;
}

}  // namespace rivulon
