#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_text.h"

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
    ListReader(std::string fileName, FileText content);
    // Reads the whole file; throws FileError when it cannot be opened.
    static ListReader open(const std::string& path);

    // True when no field is left (only blanks and line ends remain).
    bool atEnd();

    ListField next(std::string_view what = {});
    std::string readString(std::string_view what = {});
    float readReal(std::string_view what = {});
    // A whole record of two reals on a line of its own ("12.5,.36"), read as
    // readReal twice and endRecord(2) would, where both are plain decimals
    // of at most 7 digits; false, reading nothing, for anything else. A
    // weather file is tens of thousands of such lines.
    bool readTwoRealLine(float& first, float& second);
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
    // Throws a ReadError about the value of the last field read, which is a
    // number but outside what the model can use, e.g.
    //   Transprt.dat:21: field 3 (curve number): 101 is outside the allowed range 0 to 100
    [[noreturn]] void failRange(std::string_view allowed, std::string_view what = {}) const;

    // Layout checks. Reading stays by field, but a file whose lines do not
    // hold the fields of the written layout has most likely lost or gained a
    // field, so that every later value is shifted. A reader calls endRecord
    // after each record of the written layout and endOfRecords after the
    // last one; the first mismatch (and text after the last record) is kept
    // as a warning naming the file, the line and both field counts.
    void endRecord(int expectedFields);
    void endOfRecords();
    // True when the next line that is not blank is `text` (blanks around it aside).
    bool nextLineIs(std::string_view text) const;
    // Reads the empty field a comma at the end of a line leaves (the table
    // text files end every line so); false, reading nothing, when none is due.
    bool takeTrailingEmptyField();
    // The fields on the next line that is not blank (0 at the end).
    int fieldsOnNextLine() const;
    const std::vector<std::string>& warnings() const { return warnings_; }
    // Frees the text: the reader then stands at its end (fields read so far
    // no longer show their text).
    void dropText();

  private:
    std::string fileName_;
    // Shared: a copy (a look-ahead) reads the same bytes.
    std::shared_ptr<const FileText> text_;
    std::string_view content_;  // text_'s bytes
    std::size_t pos_ = 0;
    int line_ = 1;
    int fieldOnLine_ = 0;
    bool afterComma_ = false;
    ListField last_;
    std::string_view expecting_ = "a field";
    ListField recordFirst_;
    bool recordOpen_ = false;
    bool layoutWarned_ = false;
    std::vector<std::string> warnings_;

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

// The fields free-format list input finds on one line of text (0 for a blank
// line; "a,b," holds three).
int fieldsOnLine(std::string_view line);

// A text found in a file as a message shows it: bytes that are not printable
// escaped (\t, \x01), cut after 40 characters with "…".
std::string shownText(std::string_view text);

// True (and the prefix dropped) when a text starts with a UTF-8 byte-order mark.
bool skipByteOrderMark(std::string_view& text);

// Splits a text into lines at CR LF, LF or CR (no line ends kept).
std::vector<std::string> splitLines(std::string_view content);

}  // namespace rivulon
