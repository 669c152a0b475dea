#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rivulon {

// One field of a free-format list file.
struct ListField {
    std::string_view text;  // without quotes, blanks trimmed
    bool quoted = false;
    int line = 0;   // 1-based line where the field starts
    int field = 0;  // 1-based position of the field on that line
};

// Reads comma-separated text the way the program's files are written: fields
// end at a comma or a line end, blanks around a field are ignored, a field may
// be enclosed in double quotes (which may hold commas). Line breaks carry no
// other meaning, so a reader takes fields in order across lines.
//
// A comma followed by a line end leaves one empty field (the table text files
// rely on this); lines holding only blanks are otherwise skipped.
//
// Typed reads throw ReadError naming the file, the line, the field number, what
// was expected and the text found; the optional `what` describes the field.
class ListReader {
  public:
    ListReader(std::string fileName, std::string content);
    // Reads the whole file; throws FileError when it cannot be opened.
    static ListReader open(const std::string& path);

    // True when no field is left (only blanks and line ends remain).
    bool atEnd();

    ListField next(std::string_view what = {});
    std::string readString(std::string_view what = {});
    float readReal(std::string_view what = {});
    double readDouble(std::string_view what = {});
    // Whole numbers; a real-looking field (2.0, 2.5) is rounded half to even.
    std::int16_t readInt16(std::string_view what = {});
    std::int32_t readInt32(std::string_view what = {});
    void skip(int fields);

    // Where the last field read was.
    int line() const { return last_.line; }
    int field() const { return last_.field; }
    const std::string& fileName() const { return fileName_; }
    std::size_t offset() const { return pos_; }

    // Throws a ReadError about the last field read.
    [[noreturn]] void fail(std::string_view expected, std::string_view what = {}) const;

  private:
    std::string fileName_;
    std::string content_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int fieldOnLine_ = 0;
    bool afterComma_ = false;
    ListField last_;
    std::string_view expecting_ = "a field";

    ListField nextField(std::string_view what);
    void consumeDelimiter();
    bool quickReal(float& value);
};

// Parses a whole number or real as the list reader does (blanks trimmed,
// optional sign, point as separator, E or D exponent). False when the text is
// not a number in full.
bool parseReal(std::string_view text, float& out);
bool parseDouble(std::string_view text, double& out);

// Numeric value of the leading numeric part of a text, 0 when it has none
// (how the editors turn a cell text into a number).
double leadingNumber(std::string_view text);

// Rounds half to even, as the old runtimes convert reals to integers.
double roundHalfEven(double value);

// Splits a text into lines at CR LF, LF or CR (no line ends kept).
std::vector<std::string> splitLines(std::string_view content);

}  // namespace rivulon
