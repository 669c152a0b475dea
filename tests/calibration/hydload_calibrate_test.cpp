// hydload calibrate and sensitivity as a user runs them: every option the
// help names is accepted, the exit status says what happened, and the
// project's files are never written over unasked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "calibration_test_support.h"
#include "common/atomic_file.h"
#include "common/paths.h"

namespace rivulon::calibration {
namespace {

using namespace test;
using ::testing::HasSubstr;
using ::testing::Not;

struct Result {
    int status = -1;
    std::string out, err;
};

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

Result hydload(const std::string& args, const std::string& dir) {
    const std::string errFile = joinPath(dir, "stderr.txt");
    const std::string cmd = quoted(HYDLOAD_PATH) + " " + args + " 2>" + quoted(errFile);
    Result r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
        r.out.append(buf, n);
    const int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.err = readWholeFile(errFile);
    return r;
}

// The example project in a folder of its own, so that nothing of the
// repository is ever written.
std::string copyExample(const std::string& name) {
    const std::string dir = scratchFolder(name);
    for (const char* f : {"Millbrook.prj", "Transprt.dat", "Nutrient.dat", "Weather.dat",
                          "Wdelay.dat", "UsgsObs.dat"})
        std::filesystem::copy_file(kExampleDir + f, joinPath(dir, f));
    return dir;
}

std::vector<std::string> helpOptions(const std::string& help) {
    std::vector<std::string> opts;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("  --", 0) == 0)
            opts.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    return opts;
}

TEST(HydloadCalibrate, HelpListsEveryOptionOfTheCommandLineAndEachIsAccepted) {
    const std::string dir = scratchFolder("help");
    for (const char* command : {"calibrate", "sensitivity", "uncertainty"}) {
        const Result help = hydload(std::string(command) + " --help", dir);
        EXPECT_EQ(help.status, 0);
        const std::vector<std::string> opts = helpOptions(help.out);
        const std::vector<std::string> required =
            std::string(command) == "calibrate"
                ? std::vector<std::string>{"--observed",  "--params", "--objective",
                                           "--pbias-max", "--runs",   "--seed",
                                           "--jobs",      "--level",  "--out"}
            : std::string(command) == "sensitivity"
                ? std::vector<std::string>{"--observed", "--params", "--trajectories"}
                : std::vector<std::string>{"--observed",  "--params",    "--runs", "--seed",
                                           "--objective", "--threshold", "--jobs", "--out"};
        for (const std::string& o : required)
            EXPECT_THAT(opts, ::testing::Contains(o)) << command;
        for (const std::string& o : opts) {
            // No project: a usage error (2) or a refused value (1), never an
            // unknown option.
            const Result r = hydload(std::string(command) + " " + o + " 1", dir);
            EXPECT_THAT(r.err, Not(HasSubstr("unknown option"))) << command << " " << o;
        }
    }
}

TEST(HydloadCalibrate, ExitStatusTellsUsageErrorsAndFailuresApart) {
    const std::string dir = scratchFolder("status");
    EXPECT_EQ(hydload("calibrate", dir).status, 2);
    EXPECT_EQ(hydload("sensitivity --params recession", dir).status, 2);
    const Result unknown = hydload("calibrate P.prj --params recession --bogus", dir);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_THAT(unknown.err, HasSubstr("unknown option --bogus"));
    const Result badParam = hydload("calibrate P.prj --params rain", dir);
    EXPECT_EQ(badParam.status, 2);
    EXPECT_THAT(badParam.err, HasSubstr("unknown parameter \"rain\""));
    const Result badObjective = hydload("calibrate P.prj --params recession --objective r2", dir);
    EXPECT_EQ(badObjective.status, 2);
    EXPECT_THAT(badObjective.err, HasSubstr("--objective takes nse, kge or lognse"));
    // A project that cannot be read is an input error, not a usage error.
    EXPECT_EQ(
        hydload("calibrate " + joinPath(dir, "missing.prj") + " --params recession", dir).status,
        1);
}

TEST(HydloadCalibrate, WritesEveryEvaluatedSetAndTheCalibratedTransportFile) {
    const std::string dir = copyExample("run");
    const std::string prj = joinPath(dir, "Millbrook.prj");
    const std::string out = joinPath(dir, "out");
    const std::string transport = readWholeFile(joinPath(dir, "Transprt.dat"));
    const Result r = hydload("calibrate " + prj + " --observed " + joinPath(dir, "UsgsObs.dat") +
                                 " --params recession,cn-mult=.9:1.1 --runs 20 --years 3"
                                 " --jobs 2 --out " +
                                 out,
                             dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("run 20 of 20"));
    EXPECT_THAT(r.out, HasSubstr("20 runs in"));
    EXPECT_THAT(r.out, HasSubstr("NSE "));
    const std::string csv = readWholeFile(joinPath(out, "calibration.csv"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 21);
    EXPECT_EQ(csv.rfind("run,batch,recession,cn-mult,nse_objective,", 0), 0u);
    EXPECT_TRUE(fileExists(joinPath(out, "Transprt_calibrated.dat")));
    EXPECT_EQ(readWholeFile(joinPath(dir, "Transprt.dat")), transport);

    // Over the input only when asked.
    const std::string intoInput = "calibrate " + prj +
                                  " --params recession --runs 8 --years 2"
                                  " --out " +
                                  out + " --transport-out " + joinPath(dir, "Transprt.dat");
    const Result refused = hydload(intoInput, dir);
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.err, HasSubstr("is the project's transport file; the calibration does "
                                       "not write over its inputs unless --replace-transport"));
    EXPECT_EQ(readWholeFile(joinPath(dir, "Transprt.dat")), transport);
    const std::string weather = readWholeFile(joinPath(dir, "Weather.dat"));
    const Result intoWeather =
        hydload("calibrate " + prj + " --params recession --runs 8 --years 2 --out " + out +
                    " --replace-transport --transport-out " + joinPath(dir, "Weather.dat"),
                dir);
    EXPECT_EQ(intoWeather.status, 1);
    EXPECT_THAT(intoWeather.err, HasSubstr("is the project's weather file"));
    EXPECT_EQ(readWholeFile(joinPath(dir, "Weather.dat")), weather);
    EXPECT_EQ(hydload(intoInput + " --replace-transport --quiet", dir).status, 0);
    EXPECT_NE(readWholeFile(joinPath(dir, "Transprt.dat")), transport);
}

TEST(HydloadCalibrate, NoSetWithinThePbiasLimitIsNotReportedAsSuccess) {
    const std::string dir = copyExample("pbias");
    const Result r = hydload("calibrate " + joinPath(dir, "Millbrook.prj") +
                                 " --params seepage=0:.001 --pbias-max 0 --runs 8 --years 2"
                                 " --quiet --out " +
                                 joinPath(dir, "out"),
                             dir);
    EXPECT_EQ(r.status, 3) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("no set met |PBIAS| <= 0 %"));
    EXPECT_TRUE(fileExists(joinPath(dir, "out/calibration.csv")));
    EXPECT_FALSE(fileExists(joinPath(dir, "out/Transprt_calibrated.dat")));
}

TEST(HydloadCalibrate, WithoutAnObservedFileThereIsNothingToCalibrateAgainst) {
    const std::string dir = copyExample("no_observed");
    const std::string prj = joinPath(dir, "Millbrook.prj");
    std::string text = readWholeFile(prj);
    const std::string named = "USGSFlowFile, \"UsgsObs.dat\"";
    ASSERT_NE(text.find(named), std::string::npos);
    text.replace(text.find(named), named.size(), "USGSFlowFile, \"Not Found\"");
    writeFileAtomically(prj, text);
    const Result r = hydload(
        "calibrate " + prj + " --params recession --runs 8 --years 2 --out " + joinPath(dir, "out"),
        dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err,
                HasSubstr("no observed-flow file: none was given and the project names none"));
    EXPECT_FALSE(fileExists(joinPath(dir, "out/calibration.csv")));
}

TEST(HydloadSensitivity, RanksTheParametersAndWritesEveryRun) {
    const std::string dir = copyExample("sensitivity");
    const Result r = hydload("sensitivity " + joinPath(dir, "Millbrook.prj") +
                                 " --params seepage,recession --trajectories 3 --years 3 --jobs 2"
                                 " --out " +
                                 joinPath(dir, "out"),
                             dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("9 runs (3 trajectories)"));
    EXPECT_THAT(r.out, HasSubstr("rank parameter"));
    EXPECT_THAT(r.err, HasSubstr("run 9 of 9"));
    const std::string csv = readWholeFile(joinPath(dir, "out/sensitivity.csv"));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 10);
}

// The figures printed, read back from the output.
double printedFigure(const std::string& out, const std::string& name) {
    const std::size_t at = out.find(name + ": ");
    return at == std::string::npos ? -1 : std::stod(out.substr(at + name.size() + 2));
}

TEST(HydloadUncertainty, BandsAreTheSameWithAnyJobsAndTheFiguresFollowFromThem) {
    const std::string dir = copyExample("uncertainty");
    const std::string base = "uncertainty " + joinPath(dir, "Millbrook.prj") +
                             " --params recession,seepage,cn-mult --runs 60 --years 5"
                             " --seed 3 --threshold 0 --quiet --out ";
    const Result one = hydload(base + joinPath(dir, "one") + " --jobs 1", dir);
    ASSERT_EQ(one.status, 0) << one.out << one.err;
    const Result two = hydload(base + joinPath(dir, "two") + " --jobs 2", dir);
    ASSERT_EQ(two.status, 0) << two.err;
    const std::string bands = readWholeFile(joinPath(dir, "one/bands.csv"));
    EXPECT_EQ(bands, readWholeFile(joinPath(dir, "two/bands.csv")));
    EXPECT_EQ(readWholeFile(joinPath(dir, "one/samples.csv")),
              readWholeFile(joinPath(dir, "two/samples.csv")));
    const std::string samples = readWholeFile(joinPath(dir, "one/samples.csv"));
    EXPECT_EQ(std::count(samples.begin(), samples.end(), '\n'), 61);
    EXPECT_EQ(samples.rfind("run,recession,seepage,cn-mult,nse_objective,", 0), 0u);
    EXPECT_THAT(one.out, HasSubstr("behavioural sets: "));
    EXPECT_THAT(one.out, HasSubstr("behavioural ranges:"));

    // P- and R-factor again from bands.csv: months 7..60, those with an
    // observation above 0.
    std::istringstream lines(bands);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "month,observed,p2.5,p50,p97.5");
    int rows = 0, months = 0, inside = 0;
    double width = 0;
    std::vector<double> observed;
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        std::string cell;
        std::vector<double> v;
        while (std::getline(f, cell, ','))
            v.push_back(std::stod(cell));
        ASSERT_EQ(v.size(), 5u) << line;
        EXPECT_EQ(v[0], 7 + rows++);
        EXPECT_LE(v[2], v[3]);
        EXPECT_LE(v[3], v[4]);
        if (v[1] <= 0)
            continue;
        ++months;
        inside += v[2] <= v[1] && v[1] <= v[4];
        width += v[4] - v[2];
        observed.push_back(v[1]);
    }
    EXPECT_EQ(rows, 54);
    ASSERT_GT(months, 2);
    double mean = 0, ss = 0;
    for (double o : observed)
        mean += o / months;
    for (double o : observed)
        ss += (o - mean) * (o - mean);
    EXPECT_NEAR(printedFigure(one.out, "P-factor"), static_cast<double>(inside) / months, 1e-4);
    EXPECT_NEAR(printedFigure(one.out, "R-factor"), width / months / std::sqrt(ss / (months - 1)),
                1e-4);
}

TEST(HydloadUncertainty, NoBehaviouralSetExitsWithStatus3AndTheBestObjective) {
    const std::string dir = copyExample("unreachable");
    const Result r = hydload("uncertainty " + joinPath(dir, "Millbrook.prj") +
                                 " --params recession --runs 16 --years 3 --threshold 1.01"
                                 " --objective kge --quiet --out " +
                                 joinPath(dir, "out"),
                             dir);
    EXPECT_EQ(r.status, 3) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("no behavioural set"));
    EXPECT_THAT(r.out, HasSubstr("the best KGE reached is "));
    EXPECT_TRUE(fileExists(joinPath(dir, "out/samples.csv")));
    EXPECT_FALSE(fileExists(joinPath(dir, "out/bands.csv")));
    EXPECT_EQ(hydload("uncertainty " + joinPath(dir, "Millbrook.prj") +
                          " --params recession --threshold much",
                      dir)
                  .status,
              2);
}

}  // namespace
}  // namespace rivulon::calibration
