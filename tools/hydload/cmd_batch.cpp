#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "args.h"
#include "climate_args.h"
#include "command_registry.h"
#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/paths.h"
#include "scenarios/batch.h"
#include "scenarios/batch_job.h"
#include "scenarios/control_file.h"
#include "scenarios/project_batch.h"

namespace {

// "K/N": this machine's share of the rows.
void parseShard(const std::string& text, int& index, int& count) {
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        throw hydload::UsageError("--shard takes K/N, not \"" + text + "\"");
    index = hydload::wholeArg("--shard", text.substr(0, slash), 0, 32766);
    count = hydload::wholeArg("--shard", text.substr(slash + 1), 1, 32767);
    if (index >= count)
        throw hydload::UsageError("--shard K/N needs K below N, not \"" + text + "\"");
}

int runBatchCommand(const std::vector<std::string>& args) {
    std::string control, project, out;
    rivulon::BatchSettings settings;
    settings.requestedCount = 32767;
    settings.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    int years = 0;  // 0: the whole years of the project's weather file
    int level = 4;
    bool quiet = false;
    bool nameGiven = false;
    const hydload::Args cli(args, {"--quiet", "--strict"},
                            {"--project", "--name", "--out", "--jobs", "--shard", "--count",
                             "--years", "--level", "--delta-temp", "--precip-factor"});
    cli.expectOperands(1, 1, "control file");
    control = cli.operands()[0];
    project = cli.value("--project").value_or("");
    out = cli.value("--out").value_or("");
    if (project.empty())
        throw hydload::UsageError("--project is required");
    if (out.empty())
        throw hydload::UsageError("--out is required");
    if (auto v = cli.value("--name")) {
        settings.nameString = *v;
        nameGiven = true;
    }
    if (auto v = cli.value("--jobs"))
        settings.jobs = hydload::wholeArg("--jobs", *v, 1, 1024);
    if (auto v = cli.value("--shard"))
        parseShard(*v, settings.shardIndex, settings.shardCount);
    if (auto v = cli.value("--count"))
        settings.requestedCount = hydload::wholeArg("--count", *v, 1, 32767);
    if (auto v = cli.value("--years"))
        years = hydload::wholeArg("--years", *v, 1, 32767);
    if (auto v = cli.value("--level"))
        level = hydload::wholeArg("--level", *v, 1, 4);
    quiet = cli.flag("--quiet");
    const bool strict = cli.flag("--strict");
    const rivulon::ClimateDelta climate = hydload::climateArgs(cli);
    if (!nameGiven)
        settings.nameString = "Auto";
    std::filesystem::create_directories(out);
    settings.outputFolder = out;

    rivulon::BatchProject base = rivulon::loadBatchProject(project, out);
    base.settings.climate = climate;
    for (const auto& m : base.messages)
        std::fprintf(stderr, "hydload batch: %s\n", m.c_str());
    hydload::reportWarnings(base.warnings, strict);
    control = rivulon::batchControlPath(control, base);
    const rivulon::ControlFile file = rivulon::readControlFile(control);
    hydload::reportWarnings(file.warnings, strict);

    const rivulon::RunRequest request = rivulon::batchRunRequest(base, years, level);

    // Under --strict every row's input files are checked before the first
    // row runs, so that a refused file leaves the folder as it was.
    if (strict) {
        hydload::reportWarnings(
            rivulon::batchInputWarnings(base, file,
                                        rivulon::rowsToRun(settings.requestedCount, file), request),
            true);
    }

    rivulon::BatchJob job;
    job.project = base;
    job.file = file;
    job.controlPath = control;
    job.settings = settings;
    job.request = request;
    job.claimMode = rivulon::OutputFolderLock::Mode::Wait;
    job.onWaitForFolder = [&] {
        std::fprintf(stderr, "hydload batch: %s\n", rivulon::waitingForFolderMessage(out).c_str());
    };
    for (const std::string& f : rivulon::batchFilesOfOthers(file, settings))
        std::fprintf(stderr,
                     "hydload batch: warning: %s will be replaced; an earlier batch named \"%s\" "
                     "did not write it\n",
                     f.c_str(), settings.nameString.c_str());

    const auto start = std::chrono::steady_clock::now();
    rivulon::BatchObserver observer;
    if (!quiet) {
        observer.rowWritten = [&](int row, int done, int total) {
            const double s =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::fprintf(stderr, "\r[%d/%d] row %d written (%s)  %.1f s", done, total, row,
                         rivulon::batchResultsName(settings.nameString, row).c_str(), s);
            hydload::progressLineOpen(true);
            if (done == total)
                hydload::endProgressLine();
            std::fflush(stderr);
        };
    }
    const rivulon::BatchJobOutcome ran = rivulon::runBatchJob(job, observer);
    if (!ran.problem.empty())
        throw std::runtime_error(ran.problem);
    const rivulon::BatchOutcome& outcome = ran.batch;
    hydload::endProgressLine();
    // Each row's warnings, in row order, each once (rows often share a weather file).
    hydload::reportWarnings(ran.warnings, false);
    if (!outcome.ok()) {
        hydload::endProgressLine();
        std::fprintf(stderr, "hydload batch: row %d: %s\n", outcome.failedRow,
                     outcome.error.c_str());
        std::fprintf(stderr, "hydload batch: %d row(s) before it kept their files\n",
                     outcome.rowsWritten);
        if (!outcome.olderFiles.empty()) {
            std::fprintf(stderr,
                         "hydload batch: these files of rows %d and after are from an earlier "
                         "batch and were left as they were; do not sum them with this one:\n",
                         outcome.failedRow);
            for (const auto& f : outcome.olderFiles)
                std::fprintf(stderr, "  %s\n", f.c_str());
        }
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d row(s) run, %d files written to %s in %.2f s\n", outcome.rowsWritten,
                static_cast<int>(outcome.filesWritten.size()), out.c_str(), seconds);
    return 0;
}

const hydload::Registrar reg{{
    "batch",
    "run the model for every row of a sub-basin control file",
    "usage: hydload batch CONTROL --project P.prj --name Auto --out DIR [--jobs N]\n"
    "                     [--shard K/N] [--count N] [--years N] [--level 1-4] [--quiet]\n"
    "                     [--strict] [--delta-temp DT] [--precip-factor F]\n\n"
    "Runs the model once per row of the control file (row count; a heading of 15\n"
    "fields; rows of watershed name, transport, nutrient and weather file, growth\n"
    "rate, seepage on, max seepage coefficient, daily and annual seepage,\n"
    "variable concentration on, a, b, lower and upper limit, septic N reduction)\n"
    "and writes Results<name><i>.dat and Summary<name><i>.dat into DIR.\n"
    "File names in the rows are taken in the project's folder. Settings a row\n"
    "does not name come from the project. The first failing row stops the batch;\n"
    "rows before it keep their files and its error is shown.\n\n"
    "  --name S      text between Results/Summary and the row number (Auto)\n"
    "  --jobs N      rows run at the same time (default: the number of cores);\n"
    "                the files are the same, byte for byte, as with --jobs 1\n"
    "  --shard K/N   run only the rows i with i mod N = K, for spreading one\n"
    "                control file over machines (e.g. a Slurm job array)\n"
    "  --count N     run at most the first N rows\n"
    "  --years N     years to simulate (default: the weather file's whole years)\n"
    "  --level L     1 flow, 2 + sediment, 3 + nutrients, 4 + septic (default 4)\n"
    "  --strict      refuse input files whose lines do not hold the fields of their\n"
    "                written layout: the project, the control file and every row's\n"
    "                transport, nutrient and weather files, all checked before the\n"
    "                first row runs (otherwise each is a warning)\n" HYDLOAD_CLIMATE_HELP
    "                every row runs with this change of its weather",
    runBatchCommand,
}};

}  // namespace
