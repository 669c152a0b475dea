#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "args.h"
#include "command_registry.h"

namespace {

void printOverview(std::FILE* out) {
    std::fprintf(out,
                 "hydload - the Rivulon watershed model without a window\n\n"
                 "usage: hydload COMMAND [ARGS...]\n"
                 "       hydload COMMAND --help\n\ncommands:\n");
    auto list = hydload::commands();
    std::sort(list.begin(), list.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& c : list)
        std::fprintf(out, "  %-12.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(),
                     static_cast<int>(c.synopsis.size()), c.synopsis.data());
}

// The usage lines at the top of a command's help (up to the first empty line).
std::string usageLines(std::string_view help) {
    return std::string(help.substr(0, help.find("\n\n")));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printOverview(stdout);
        return args.empty() ? 2 : 0;
    }
    for (const auto& c : hydload::commands()) {
        if (c.name != args[0])
            continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
            std::printf("%.*s\n", static_cast<int>(c.help.size()), c.help.data());
            return 0;
        }
        try {
            return c.run(rest);
        } catch (const hydload::UsageError& e) {
            hydload::endProgressLine();
            const std::string name(c.name);
            std::fprintf(stderr, "hydload %s: %s\n%s\n", name.c_str(), e.what(),
                         usageLines(c.help).c_str());
            return 2;
        } catch (const std::exception& e) {
            hydload::endProgressLine();
            std::fprintf(stderr, "hydload %.*s: %s\n", static_cast<int>(c.name.size()),
                         c.name.data(), e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "hydload: unknown command \"%s\"\n\n", args[0].c_str());
    printOverview(stderr);
    return 2;
}
