#pragma once

#include <cerrno>
#include <stdexcept>
#include <string>

namespace rivulon {

// A field of an input file that could not be read. The message names the file,
// the line and the field, what was expected and what was found, e.g.
//   Transprt.dat:21: field 3 (curve number): expected a number, found "7O"
class ReadError : public std::runtime_error {
  public:
    ReadError(std::string file, int line, int field, std::string expected, std::string found,
              std::string what = {});
    // An error that is about a whole file (missing, unreadable, ended early).
    ReadError(std::string file, int line, std::string message);
    // The same place, with `leading` put before the text (the caller's context).
    ReadError(const ReadError& cause, const std::string& leading)
        : std::runtime_error(leading + cause.what()),
          file_(cause.file_),
          line_(cause.line_),
          field_(cause.field_) {}

    const std::string& file() const { return file_; }
    int line() const { return line_; }
    int field() const { return field_; }

  private:
    std::string file_;
    int line_ = 0;
    int field_ = 0;
};

// A run that cannot go on (bad model input, weather ending early...). The run
// stops, and nothing is written from it.
class RunError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A file that could not be opened, read or written.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A FileError's text for a failed system call: "Cannot write PATH: reason".
std::string systemError(const std::string& what, const std::string& path, int err = errno);

}  // namespace rivulon
