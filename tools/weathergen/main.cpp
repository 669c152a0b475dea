// weathergen: writes a synthetic daily weather file for the model.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "project/weather_model.h"
#include "tools/weathergen/day_length.h"
#include "tools/weathergen/weather_generator.h"

namespace {

using rivulon::weathergen::WeatherParams;

constexpr const char* kHelp = R"(Usage: weathergen [options] OUTPUT
       weathergen --day-lengths [--latitude DEG]
       weathergen fit WEATHER.dat --out PARAMS.json
       weathergen generate PARAMS.json --years N --seed S [--out OUTPUT]

Writes a synthetic daily weather file (temperature degC, precipitation cm) in
months of the model year, April to March, 365-day years: a month header line
with the day count (and, with --dated, the month's first date), then one
"temp,prec" line per day. Each year is exactly 377 lines; February always
has 28 days, so a dated file leaves out 29 February of leap years.

The model, one day at a time:
  Wet or dry     first-order Markov chain; the chances of a wet day after a
                 dry day (about .26) and after a wet day (about .46) follow an
                 annual cycle, highest in March, lowest in September.
  Amount         gamma distribution, shape .75 (Marsaglia-Tsang sampler); the
                 mean wet-day amount peaks in late July (convective storms) and
                 is scaled so the expected annual total is --annual-precip-cm.
  Temperature    annual cosine cycle, coldest on 20 January, plus a lag-one
                 autoregressive anomaly (correlation .68) whose spread is about
                 4.2 degC in winter and 1.8 degC in summer; wet days are 1 degC
                 cooler than normal in summer and milder in winter.
  Snow           not generated separately: the model stores precipitation as
                 snow on days at or below 0 degC.
Temperatures are rounded to .1 degC and precipitation to .01 cm. The random
numbers come from the program's own xoshiro256** generator and arithmetic, so
a seed gives the same file on every machine. South of the equator the annual
cycles shift by half a year.

Fitted to a record instead (fit, then generate):
  fit            reads every whole year of a weather file (dated or not) and
                 writes, per month of the model year, the chances of a wet day
                 after a dry and after a wet day, the shape and scale of a gamma
                 distribution of wet-day amounts (maximum likelihood), the mean
                 and standard deviation of temperature on wet and on dry days,
                 and the lag-one correlation of the temperature anomalies.
  generate       writes an undated series of N 365-day years from such a file
                 to OUTPUT (standard output when not given); temperatures to
                 .01 degC, precipitation to .001 cm. It keeps the monthly
                 statistics and the wet/dry persistence of the record; it has no
                 memory beyond a day, so multi-year droughts and trends are not
                 in it. The same file and seed give the same bytes everywhere.

Options:
  --years N              whole years to write (default 30)
  --seed S               random seed, a whole number (default 1)
  --latitude DEG         latitude, north positive (default 41)
  --mean-temp C          annual mean daily temperature, degC (default 10)
  --temp-amplitude C     half the July-January difference, degC (default 12.5)
  --annual-precip-cm P   expected annual precipitation, cm (default 100)
  --dated M/D/YYYY       label every month header with its first date; the
                         series must start on 1 April (4/1/YYYY)
  --delay-file PATH      also write the 32 days before the series (oldest first)
                         as a weather-delay file; the series itself is the same
                         with or without it
  --day-lengths          print the mean day length (hours) of each month,
                         April first, for --latitude, and stop
  --help                 show this text
)";

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

template <class T>
T number(std::string_view option, std::string_view text) {
    T value{};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size()) {
        throw UsageError(std::string(option) + ": expected a number, found \"" + std::string(text) +
                         "\"");
    }
    return value;
}

// Accepts only 4/1/YYYY: the file's months run April to March.
int startYearOf(std::string_view text) {
    constexpr std::string_view prefix = "4/1/";
    if (text.substr(0, prefix.size()) != prefix) {
        throw UsageError("--dated: the series starts on 1 April, give 4/1/YYYY; found \"" +
                         std::string(text) + "\"");
    }
    return number<int>("--dated", text.substr(prefix.size()));
}

struct Command {
    WeatherParams params;
    std::string output;
    std::string delayPath;
    bool help = false;
    bool dayLengths = false;
};

Command parse(int argc, char** argv) {
    Command cmd;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        bool hasValue = false;
        if (arg.substr(0, 2) == "--") {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasValue = true;
            }
        }
        auto take = [&]() -> std::string_view {
            if (hasValue)
                return value;
            if (i + 1 >= argc)
                throw UsageError(std::string(arg) + ": a value is missing");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            cmd.help = true;
        } else if (arg == "--day-lengths") {
            cmd.dayLengths = true;
        } else if (arg == "--years") {
            cmd.params.years = number<int>(arg, take());
        } else if (arg == "--seed") {
            cmd.params.seed = number<std::uint64_t>(arg, take());
        } else if (arg == "--latitude") {
            cmd.params.latitude = number<double>(arg, take());
        } else if (arg == "--mean-temp") {
            cmd.params.meanTempC = number<double>(arg, take());
        } else if (arg == "--temp-amplitude") {
            cmd.params.tempAmplitudeC = number<double>(arg, take());
        } else if (arg == "--annual-precip-cm") {
            cmd.params.annualPrecipCm = number<double>(arg, take());
        } else if (arg == "--dated") {
            cmd.params.startYear = startYearOf(take());
        } else if (arg == "--delay-file") {
            cmd.delayPath = std::string(take());
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + std::string(arg));
        } else if (cmd.output.empty()) {
            cmd.output = std::string(arg);
        } else {
            throw UsageError("more than one output file: " + std::string(arg));
        }
    }
    return cmd;
}

// `weathergen fit` and `weathergen generate`.
int fitOrGenerate(int argc, char** argv) {
    const std::string_view command = argv[1];
    std::string input, out;
    int years = 0;
    std::optional<std::uint64_t> seed;
    for (int i = 2; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        bool hasValue = false;
        if (const auto eq = arg.find('=');
            arg.substr(0, 2) == "--" && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        auto take = [&]() -> std::string_view {
            if (hasValue)
                return value;
            if (i + 1 >= argc)
                throw UsageError(std::string(arg) + ": a value is missing");
            return argv[++i];
        };
        if (arg == "--out") {
            out = std::string(take());
        } else if (arg == "--years" && command == "generate") {
            years = number<int>(arg, take());
        } else if (arg == "--seed" && command == "generate") {
            seed = number<std::uint64_t>(arg, take());
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError(std::string(command) + ": unknown option " + std::string(arg));
        } else if (input.empty()) {
            input = std::string(arg);
        } else {
            throw UsageError(std::string(command) +
                             ": more than one input file: " + std::string(arg));
        }
    }
    if (command == "fit") {
        if (input.empty())
            throw UsageError("fit: no weather file given");
        if (out.empty())
            throw UsageError("fit: --out PARAMS.json is required");
        const auto model = rivulon::fitWeatherModel(rivulon::readWeatherRecord(input));
        rivulon::writeFileAtomically(out,
                                     rivulon::weatherModelJson(model, rivulon::fileNameOf(input)));
        return 0;
    }
    if (input.empty())
        throw UsageError("generate: no parameter file given");
    if (years < 1 || years > 32767)
        throw UsageError("generate: --years N is required, a whole number from 1 to 32767");
    if (!seed)
        throw UsageError("generate: --seed S is required");
    const auto model = rivulon::parseWeatherModelJson(input, rivulon::readWholeFile(input));
    const std::string text = rivulon::generateWeatherText(model, years, *seed);
    if (out.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        rivulon::writeFileAtomically(out, text);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc > 1 &&
            (std::string_view(argv[1]) == "fit" || std::string_view(argv[1]) == "generate"))
            return fitOrGenerate(argc, argv);
        const Command cmd = parse(argc, argv);
        if (cmd.help) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (cmd.dayLengths) {
            rivulon::weathergen::checkParams(cmd.params);
            static constexpr const char* kNames[12] = {"Apr", "May", "Jun", "Jul", "Aug", "Sep",
                                                       "Oct", "Nov", "Dec", "Jan", "Feb", "Mar"};
            const auto hours = rivulon::weathergen::monthlyDayLengthHours(cmd.params.latitude);
            for (int m = 0; m < 12; ++m)
                std::printf("%s,%.1f\n", kNames[m], hours[m]);
            return 0;
        }
        if (cmd.output.empty())
            throw UsageError("no output file given (see --help)");
        const auto generated = rivulon::weathergen::generateWeather(cmd.params);
        rivulon::writeFileAtomically(cmd.output, generated.weather);
        if (!cmd.delayPath.empty())
            rivulon::writeFileAtomically(cmd.delayPath, generated.delay);
        return 0;
    } catch (const UsageError& e) {
        std::cerr << "weathergen: " << e.what() << '\n';
        return 2;
    } catch (const rivulon::weathergen::BadWeatherParams& e) {
        std::cerr << "weathergen: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "weathergen: " << e.what() << '\n';
        return 1;
    }
}
