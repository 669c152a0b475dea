#pragma once

// What the calibration window's two files share: the piece of work in
// flight and the number texts of its tables.

#include <QPointF>
#include <QString>
#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "analysis/ui/FrmCalibrate.h"
#include "analysis/value_format.h"
#include "calibration/flow_target.h"
#include "calibration/morris.h"
#include "calibration/search.h"
#include "calibration/uncertainty.h"
#include "common/number_format.h"
#include "shell/qt_text.h"

// One piece of work in flight: what it was given, what the worker thread
// leaves for the interface thread, and the points of the live plot.
struct FrmCalibrate::Work {
    bool sensitivity = false;
    bool uncertainty = false;
    std::string projectPath, observedPath;
    std::vector<rivulon::calibration::Parameter> params;
    rivulon::calibration::ObjectiveSettings objective;
    rivulon::calibration::SearchSettings search;
    rivulon::calibration::MorrisSettings morris;
    rivulon::calibration::UncertaintySettings band;

    std::shared_ptr<rivulon::calibration::CalibrationInputs> inputs;
    std::vector<double> start;
    rivulon::calibration::Evaluation startFit;
    rivulon::calibration::SearchOutcome outcome;
    rivulon::calibration::MorrisOutcome screen;
    rivulon::calibration::UncertaintyOutcome bands;

    std::mutex mutex;
    std::vector<QPointF> points;  // runs done, best objective; taken by the plot
};

namespace frm_calibrate {

inline QString number(double v) {
    return rivulon::ui::qs(rivulon::formatDouble(v));
}

inline QString fixed(double v, const char* pattern) {
    return rivulon::ui::qs(rivulon::formatPattern(v, pattern));
}

// A table of the chosen parameters: name, unit, two columns of values and
// the range searched, every number in the one format of its column.
rivulon::TextGrid parameterTable(const std::vector<rivulon::calibration::Parameter>& params,
                                 const std::array<const char*, 4>& headings,
                                 const std::vector<double>& first,
                                 const std::vector<double>& second);

}  // namespace frm_calibrate
