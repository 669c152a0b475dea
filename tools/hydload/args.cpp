#include "args.h"

#include <algorithm>
#include <cmath>

#include "common/list_reader.h"

namespace hydload {

namespace {

bool among(std::initializer_list<std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string quoted(const std::string& text) {
    return "\"" + rivulon::shownText(text) + "\"";
}

// Shortest text of a bound: "0", "1", "-0.5".
std::string boundText(float v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

}  // namespace

Args::Args(const std::vector<std::string>& args, std::initializer_list<std::string_view> flags,
           std::initializer_list<std::string_view> valued) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            operands_.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        if (among(flags, name)) {
            if (eq != std::string::npos)
                throw UsageError(name + " takes no value");
            given_.emplace_back(name, std::string());
        } else if (among(valued, name)) {
            if (eq != std::string::npos) {
                given_.emplace_back(name, a.substr(eq + 1));
            } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
                given_.emplace_back(name, args[++i]);
            } else if (i + 1 < args.size()) {
                // "--out --quiet" forgot the folder: never a folder named "--quiet".
                // A value that starts so is given as "--out=--quiet".
                throw UsageError(name + " needs a value, not the option " + quoted(args[i + 1]));
            } else {
                throw UsageError(name + " needs a value");
            }
        } else {
            throw UsageError("unknown option " + name);
        }
    }
}

bool Args::flag(std::string_view name) const {
    return has(name);
}

bool Args::has(std::string_view name) const {
    return std::any_of(given_.begin(), given_.end(),
                       [&](const auto& g) { return g.first == name; });
}

std::optional<std::string> Args::value(std::string_view name) const {
    std::optional<std::string> last;
    for (const auto& g : given_) {
        if (g.first == name)
            last = g.second;
    }
    return last;
}

std::vector<std::string> Args::values(std::string_view name) const {
    std::vector<std::string> all;
    for (const auto& g : given_) {
        if (g.first == name)
            all.push_back(g.second);
    }
    return all;
}

void Args::expectOperands(std::size_t low, std::size_t high, std::string_view what) const {
    if (operands_.size() < low)
        throw UsageError("missing " + std::string(what));
    if (operands_.size() > high)
        throw UsageError("unexpected argument " + quoted(operands_[high]));
}

float realArg(std::string_view option, const std::string& text) {
    float v = 0;
    if (!rivulon::parseReal(text, v))
        throw UsageError(std::string(option) + " takes a number, not " + quoted(text));
    return v;
}

float realArg(std::string_view option, const std::string& text, float low, float high) {
    float v = 0;
    if (!rivulon::parseReal(text, v) || !(v >= low && v <= high)) {
        throw UsageError(std::string(option) + " takes a number from " + boundText(low) + " to " +
                         boundText(high) + ", not " + quoted(text));
    }
    return v;
}

int wholeArg(std::string_view option, const std::string& text, int low, int high) {
    float v = 0;
    if (!rivulon::parseReal(text, v) || std::floor(v) != v || v < static_cast<float>(low) ||
        v > static_cast<float>(high)) {
        throw UsageError(std::string(option) + " takes a whole number from " + std::to_string(low) +
                         " to " + std::to_string(high) + ", not " + quoted(text));
    }
    return static_cast<int>(v);
}

double doubleArg(std::string_view option, const std::string& text) {
    double v = 0;
    if (!rivulon::parseDouble(text, v) || !std::isfinite(v))
        throw UsageError(std::string(option) + " takes a number, not " + quoted(text));
    return v;
}

long long longArg(std::string_view option, const std::string& text, long long low, long long high) {
    double v = 0;
    if (!rivulon::parseDouble(text, v) || v != std::floor(v) || v < static_cast<double>(low) ||
        v > static_cast<double>(high)) {
        throw UsageError(std::string(option) + " takes a whole number from " + std::to_string(low) +
                         " to " + std::to_string(high) + ", not " + quoted(text));
    }
    return static_cast<long long>(v);
}

std::vector<std::string> listArg(std::string_view option, const std::string& text,
                                 std::size_t count) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (count > 0 && parts.size() != count) {
        throw UsageError(std::string(option) + " takes " + std::to_string(count) +
                         " values separated by commas, not " + quoted(text));
    }
    return parts;
}

}  // namespace hydload
