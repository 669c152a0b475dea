// The model driven through the BMI as a coupling framework drives it: a whole
// run stepped day by day must give the monthly values of the run driver
// (which hydload run writes), and a framework's own forcing must reach the
// model on the day it is set for.
#include "bmi/bmi.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/model_state.h"
#include "engine/result_files.h"
#include "project/run_command.h"
#include "project/run_setup.h"

namespace rivulon {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const std::string kProject = std::string(RIVULON_SOURCE_DIR) + "/examples/Millbrook/Millbrook.prj";

class BmiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("rivulon-bmi-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string config(const std::string& json) {
        const std::string path = (dir_ / "config.json").string();
        std::ofstream(path) << json;
        return path;
    }

    // The run driver's result for the same project, years and level.
    ModelState reference(int years, int level) {
        OpenedProject p = openProjectForRun(kProject, dir_.string());
        RunChoices c;
        c.years = years;
        c.level = level;
        const RunRequest request = applyRunChoices(c, p.settings, p.state);
        runProject(p.settings, p.state, request);
        return p.state;
    }

    static double value(Bmi& bmi, const char* name) {
        double v = 0;
        bmi.GetValue(name, &v);
        return v;
    }

    fs::path dir_;
};

TEST_F(BmiTest, SteppingAWholeRunGivesTheMonthlyValuesOfTheRunDriver) {
    const int years = 3;
    const ModelState ref = reference(years, 4);

    Bmi bmi;
    bmi.Initialize(config(R"({"project": ")" + kProject +
                          R"(", "years": 3, "level": 4, "output_folder": "out"})"));
    EXPECT_EQ(bmi.GetStartTime(), 0);
    EXPECT_EQ(bmi.GetTimeUnits(), "d");
    EXPECT_EQ(bmi.GetTimeStep(), 1);
    EXPECT_EQ(bmi.GetEndTime(), 3 * 365);  // the example's weather has no leap days

    // Month sums in the model's own order and precision.
    std::vector<MonthArray> flow(years + 1), precip(years + 1), runoff(years + 1), et(years + 1);
    int year = 1, month = 1, daysInMonth = 0;
    const int monthDays[13] = {0, 30, 31, 30, 31, 31, 30, 31, 30, 31, 31, 28, 31};
    while (bmi.GetCurrentTime() < bmi.GetEndTime()) {
        bmi.Update();
        flow[year][month] += static_cast<float>(value(bmi, "streamflow"));
        precip[year][month] += static_cast<float>(value(bmi, "precipitation"));
        runoff[year][month] += static_cast<float>(value(bmi, "runoff"));
        et[year][month] += static_cast<float>(value(bmi, "evapotranspiration"));
        if (++daysInMonth == monthDays[month]) {
            daysInMonth = 0;
            if (++month > 12) {
                // The year's loads are complete on its last day.
                EXPECT_EQ(value(bmi, "total_nitrogen"), ref.results.totN[year][0]) << year;
                EXPECT_EQ(value(bmi, "dissolved_phosphorus"), ref.results.disP[year][0]);
                EXPECT_EQ(value(bmi, "sediment_yield"), ref.results.sediment[year][0]);
                month = 1;
                ++year;
            }
        }
    }
    EXPECT_EQ(year, years + 1);
    for (int y = 1; y <= years; ++y) {
        for (int m = 1; m <= 12; ++m) {
            EXPECT_EQ(flow[y][m], ref.results.flow[y][m]) << y << "/" << m;
            EXPECT_EQ(precip[y][m], ref.results.precip[y][m]) << y << "/" << m;
            EXPECT_EQ(runoff[y][m], ref.results.runoffDepth[y][m]) << y << "/" << m;
            EXPECT_EQ(et[y][m], ref.results.evapo[y][m]) << y << "/" << m;
        }
    }
    EXPECT_THAT([&] { bmi.Update(); }, ::testing::Throws<BmiError>());

    // Finalize writes the files the run driver's results make.
    bmi.Finalize();
    ModelState copy = ref;
    std::ifstream results(dir_ / "out" / "Results.dat", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(results)),
                              std::istreambuf_iterator<char>());
    EXPECT_EQ(written, resultsFileText(ref));
    std::ifstream summary(dir_ / "out" / "Summary.dat", std::ios::binary);
    const std::string writtenSummary((std::istreambuf_iterator<char>(summary)),
                                     std::istreambuf_iterator<char>());
    EXPECT_EQ(writtenSummary, summaryFileText(copy));
}

TEST_F(BmiTest, ForcingSetBeforeAStepReplacesThatDayOnly) {
    Bmi plain;
    plain.Initialize(config(R"({"project": ")" + kProject + R"(", "years": 1, "level": 1})"));
    Bmi forced;
    forced.Initialize(config(R"({"project": ")" + kProject + R"(", "years": 1, "level": 1})"));

    plain.UpdateUntil(10);
    forced.UpdateUntil(10);
    EXPECT_EQ(forced.GetCurrentTime(), 10);
    double storm = 12.5;  // cm
    double warm = 20;
    forced.SetValue("precipitation", &storm);
    forced.SetValue("temperature", &warm);
    plain.Update();
    forced.Update();
    EXPECT_EQ(value(forced, "precipitation"), 12.5);
    EXPECT_EQ(value(forced, "temperature"), 20);
    EXPECT_GT(value(forced, "runoff"), value(plain, "runoff"));
    EXPECT_GT(value(forced, "streamflow"), value(plain, "streamflow"));

    // The next day is the file's own weather again.
    plain.Update();
    forced.Update();
    EXPECT_EQ(value(forced, "precipitation"), value(plain, "precipitation"));
    EXPECT_EQ(value(forced, "temperature"), value(plain, "temperature"));

    // Writing through the value pointer counts as setting it.
    double* p = static_cast<double*>(forced.GetValuePtr("precipitation"));
    *p = 8;
    forced.Update();
    EXPECT_EQ(value(forced, "precipitation"), 8);
}

TEST_F(BmiTest, VariablesGridAndRefusals) {
    Bmi bmi;
    bmi.Initialize(config(R"({"project": ")" + kProject + R"(", "years": 1, "level": 2})"));
    EXPECT_EQ(bmi.GetInputVarNames(), (std::vector<std::string>{"precipitation", "temperature"}));
    EXPECT_EQ(bmi.GetOutputItemCount(), 7);  // water and weather, and sediment at level 2
    EXPECT_EQ(bmi.GetVarUnits("streamflow"), "cm d-1");
    EXPECT_EQ(bmi.GetVarUnits("temperature"), "degC");
    EXPECT_EQ(bmi.GetVarUnits("sediment_yield"), "t a-1");
    EXPECT_EQ(bmi.GetVarType("snow"), "double");
    EXPECT_EQ(bmi.GetVarNbytes("snow"), 8);
    EXPECT_EQ(bmi.GetGridType(bmi.GetVarGrid("snow")), "scalar");
    EXPECT_EQ(bmi.GetGridRank(0), 0);
    EXPECT_EQ(bmi.GetGridSize(0), 1);

    const auto message = [](auto f) {
        try {
            f();
        } catch (const BmiError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_THAT(message([&] { bmi.GetVarUnits("total_nitrogen"); }),
                HasSubstr("not computed at level 2"));
    EXPECT_THAT(message([&] { bmi.GetVarUnits("flow"); }), HasSubstr("no variable \"flow\""));
    double v = 1;
    EXPECT_THAT(message([&] { bmi.SetValue("streamflow", &v); }), HasSubstr("cannot be set"));
    v = -1;
    EXPECT_THAT(message([&] { bmi.SetValue("precipitation", &v); }), HasSubstr("0 cm or more"));
    v = -300;
    EXPECT_THAT(message([&] { bmi.SetValue("temperature", &v); }), HasSubstr("-273"));
    int index = 1;
    EXPECT_THAT(message([&] { bmi.GetValueAtIndices("snow", &v, &index, 1); }),
                HasSubstr("outside the scalar grid"));
    EXPECT_THAT(message([&] { bmi.GetGridType(1); }), HasSubstr("no grid 1"));
    int shape = 0;
    EXPECT_THAT(message([&] { bmi.GetGridShape(0, &shape); }), HasSubstr("scalar grid"));
    EXPECT_THAT(message([&] { bmi.UpdateUntil(366); }), HasSubstr("ends at day 365"));
    EXPECT_EQ(bmi.GetCurrentTime(), 0);
}

TEST_F(BmiTest, BadConfigurationsAreRefusedWithTheirReason) {
    const auto message = [&](const std::string& json) {
        Bmi bmi;
        try {
            bmi.Initialize(config(json));
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_THAT(message("{"), HasSubstr("not a JSON configuration"));
    EXPECT_THAT(message(R"({"years": 2})"), HasSubstr("\"project\" must name the project file"));
    EXPECT_THAT(message(R"({"project": ")" + kProject + R"(", "years": "ten"})"),
                HasSubstr("\"years\" must be a whole number"));
    EXPECT_THAT(message(R"({"project": ")" + kProject + R"(", "level": 5})"),
                HasSubstr("level is 1 to 4"));
    EXPECT_THAT(message(R"({"project": "Missing.prj"})"), HasSubstr("Missing.prj"));

    Bmi never;
    EXPECT_THROW(never.Update(), BmiError);
    EXPECT_THROW(never.Initialize((dir_ / "none.json").string()), BmiError);
}

}  // namespace
}  // namespace rivulon
