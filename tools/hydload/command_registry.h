#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hydload {

// A subcommand: `hydload NAME ARGS...`. It returns the exit status; errors are
// printed by the command itself on standard error.
struct Command {
    // Texts the program holds anyway: not copied at every start.
    std::string_view name;
    std::string_view synopsis;  // one line for the overview
    std::string_view help;      // full text for `hydload NAME --help`
    std::function<int(const std::vector<std::string>& args)> run;
};

std::vector<Command>& commands();

// Prints each warning on standard error as "warning: TEXT". Under --strict a
// warned input is refused: throws (exit status 1) with the first warning.
void reportWarnings(const std::vector<std::string>& warnings, bool strict);

// A progress line ("\r...") is being drawn on standard error; an error
// printed later first ends it, so that the message starts its own line.
void progressLineOpen(bool open);
void endProgressLine();

// Registers a command at start-up: `static hydload::Registrar r{{...}};`
struct Registrar {
    explicit Registrar(Command c) { commands().push_back(std::move(c)); }
};

}  // namespace hydload
