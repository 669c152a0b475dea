#pragma once

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hydload {

// A command line that does not fit the command: main prints the message and
// the command's usage lines and exits with status 2. Input errors are other
// exceptions and exit with 1.
class UsageError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// The options of one subcommand, parsed once: flags take no value, valued
// options take the next argument (or "--opt=value"), never one starting with
// "--", which is the next option and leaves this one without a value;
// anything not starting with "-" is an operand. "--" ends the options. An option not declared, a
// flag given a value or a valued option without one is a UsageError.
class Args {
  public:
    Args(const std::vector<std::string>& args, std::initializer_list<std::string_view> flags,
         std::initializer_list<std::string_view> valued);

    bool flag(std::string_view name) const;
    bool has(std::string_view name) const;
    // The last value given for an option, if any.
    std::optional<std::string> value(std::string_view name) const;
    // Every value given, in order (for options that may be repeated).
    std::vector<std::string> values(std::string_view name) const;
    const std::vector<std::string>& operands() const { return operands_; }
    // Refuses fewer than `low` or more than `high` operands.
    void expectOperands(std::size_t low, std::size_t high, std::string_view what) const;

  private:
    std::vector<std::pair<std::string, std::string>> given_;  // name, value ("" for flags)
    std::vector<std::string> operands_;
};

// Strict conversions of option values: the whole text must be the number
// ("abc", "3x" and "" are refused), each failure a UsageError naming the
// option, the value and what it takes.
float realArg(std::string_view option, const std::string& text);
float realArg(std::string_view option, const std::string& text, float low, float high);
int wholeArg(std::string_view option, const std::string& text, int low, int high);
// The same in double precision and 64-bit counts (search budgets, seeds).
double doubleArg(std::string_view option, const std::string& text);
long long longArg(std::string_view option, const std::string& text, long long low, long long high);
// Comma-separated texts; `count` of them exactly (0: any number, at least 1).
std::vector<std::string> listArg(std::string_view option, const std::string& text,
                                 std::size_t count);

}  // namespace hydload
