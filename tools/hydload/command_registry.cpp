#include "command_registry.h"

#include <cstdio>
#include <stdexcept>

namespace hydload {

namespace {
bool progressOpen = false;
}

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

void reportWarnings(const std::vector<std::string>& warnings, bool strict) {
    for (const auto& w : warnings)
        std::fprintf(stderr, "warning: %s\n", w.c_str());
    if (strict && !warnings.empty())
        throw std::runtime_error("refused under --strict: " + warnings.front());
}

void progressLineOpen(bool open) {
    progressOpen = open;
}

void endProgressLine() {
    if (progressOpen)
        std::fputc('\n', stderr);
    progressOpen = false;
}

}  // namespace hydload
