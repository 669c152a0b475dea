#include "common/read_error.h"

#include <cstring>

#include "common/list_reader.h"
#include "common/paths.h"

namespace rivulon {

namespace {

std::string describe(const std::string& file, int line, int field, const std::string& expected,
                     const std::string& found, const std::string& what) {
    std::string text =
        fileNameOf(file) + ":" + std::to_string(line) + ": field " + std::to_string(field);
    if (!what.empty())
        text += " (" + what + ")";
    text += ": expected " + expected + ", found ";
    text += found.empty() ? std::string("nothing") : "\"" + shownText(found) + "\"";
    return text;
}

std::string describe(const std::string& file, int line, const std::string& message) {
    std::string text = fileNameOf(file);
    if (line > 0) {
        text += ':';
        text += std::to_string(line);
    }
    text += ": ";
    text += message;
    return text;
}

}  // namespace

ReadError::ReadError(std::string file, int line, int field, std::string expected, std::string found,
                     std::string what)
    : std::runtime_error(describe(file, line, field, expected, found, what)),
      file_(std::move(file)),
      line_(line),
      field_(field) {}

ReadError::ReadError(std::string file, int line, std::string message)
    : std::runtime_error(describe(file, line, message)), file_(std::move(file)), line_(line) {}

std::string systemError(const std::string& what, const std::string& path, int err) {
    return what + " " + path + ": " + std::strerror(err);
}

}  // namespace rivulon
