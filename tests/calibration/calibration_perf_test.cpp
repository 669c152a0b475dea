// How long many evaluations of the example (30 years, streamflow only) take
// with two jobs, as the uncertainty analysis and the searches run them. Timed,
// so under the perf label only.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "calibration/uncertainty.h"
#include "calibration_test_support.h"

namespace rivulon::calibration {
namespace {

double secondsFor(int sets) {
    static const CalibrationInputs in = test::loadExample(30);
    const std::vector<Parameter> params =
        parseParameterList("recession,seepage,unsat-capacity,cn-mult,et-mult");
    std::vector<std::vector<double>> values;
    for (const auto& u : latinHypercube(sets, params.size(), 1)) {
        std::vector<double> v;
        for (std::size_t j = 0; j < params.size(); ++j)
            v.push_back(params[j].effective(params[j].fromUnit(u[j])));
        values.push_back(std::move(v));
    }
    const auto t0 = std::chrono::steady_clock::now();
    const std::vector<Evaluation> out =
        evaluateAll(values, flowEvaluator(in.target, params, {}), 2);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(out.size(), static_cast<std::size_t>(sets));
    return s;
}

TEST(CalibrationPerf, TenThousandEvaluationsUnderASecond) {
    const double s = secondsFor(10000);
    RecordProperty("seconds", std::to_string(s));
    EXPECT_LT(s, 1.0);
}

TEST(CalibrationPerf, AHundredThousandEvaluationsUnderTenSeconds) {
    const double s = secondsFor(100000);
    RecordProperty("seconds", std::to_string(s));
    EXPECT_LT(s, 10.0);
}

}  // namespace
}  // namespace rivulon::calibration
