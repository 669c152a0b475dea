#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rivulon {

// A 32-bit real as the old BASIC runtimes write it: rounded to 7 significant
// digits, trailing zeros dropped, no leading zero before the point, plain when
// that takes at most 7 digits (zeros after the point included), E form
// otherwise: 0, .5, -.25, .0000001, 1.5E-07, 1.428571E-02, 1234567, 1E+07.
std::string formatReal(float value);
void appendReal(std::string& out, float value);
// The same into a buffer of at least kMaxRealChars; returns the end.
inline constexpr std::size_t kMaxRealChars = 16;
char* writeReal(char* out, float value);
// appendReal's general conversion, which its quick path must always agree
// with; for checks only.
void appendRealGeneral(std::string& out, float value);

// The same for a 64-bit real, with 15 significant digits.
std::string formatDouble(double value);

// Print style of the runtime: a blank (or the minus sign) before the number and
// one blank after it: " 4 ", "-.25 ".
std::string printStyle(float value);
std::string printStyle(std::int32_t value);
void appendPrintStyle(std::string& out, float value);
void appendPrintStyle(std::string& out, std::int32_t value);

// Builds comma-separated records: strings quoted as they stand, integers
// plain, reals as formatReal, each record ended by CR LF.
class RecordWriter {
  public:
    RecordWriter& text(std::string_view s);
    RecordWriter& integer(std::int32_t v);
    RecordWriter& real(float v);
    // Raw text as a field, without quotes.
    RecordWriter& raw(std::string_view s);
    RecordWriter& endRecord();

    std::string_view str() const { return {out_.data(), length_}; }
    std::string take() {
        out_.resize(length_);
        length_ = 0;
        return std::move(out_);
    }
    // Empties the text, keeping its memory (after a record ends).
    void clearText() { length_ = 0; }
    void reserve(std::size_t n);

  private:
    // Room for n characters after the text. The numbers are written straight
    // into the text's memory: made in a buffer of their own and appended,
    // each was read back while its bytes were still being stored, which
    // costs a results file about as much as making them.
    char* room(std::size_t n);
    char* separate(char* p);
    std::string out_;  // the text, then room for more (its size is the memory's)
    std::size_t length_ = 0;
    bool midRecord_ = false;
};

}  // namespace rivulon
