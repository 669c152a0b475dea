#pragma once

#include <string>

#include "common/read_error.h"

namespace rivulon {

// A ReadError whose text carries more than the field detail, e.g. the
// nutrient reader's trailing hint. Callers still catch it as a ReadError.
class InputFileError : public ReadError {
  public:
    InputFileError(const std::string& file, int line, std::string text)
        : ReadError(file, line, std::string()), text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }

  private:
    std::string text_;
};

}  // namespace rivulon
