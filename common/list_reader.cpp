#include "common/list_reader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

#include "common/atomic_file.h"
#include "common/paths.h"
#include "common/read_error.h"
#include "common/value_rules.h"

namespace rivulon {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (isBlank(s.front()) || s.front() == '\0'))
        s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

// Brings a field into the form from_chars takes: no leading '+', E for D.
bool normalizeNumber(std::string_view text, std::string& out) {
    text = trim(text);
    if (text.empty() || text.size() > 64)
        return false;
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+'))
            return false;
    }
    out.assign(text);
    bool digit = false;
    for (char& c : out) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == 'd' || c == 'D') {
            c = 'E';
        } else if (c != '.' && c != '-' && c != '+' && c != 'e' && c != 'E') {
            return false;  // also refuses inf, nan and hex forms
        }
    }
    return digit;
}

constexpr float kFloatPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// Plain decimals of up to 7 digits (nearly every field of a weather file):
// an integer below 2^24 divided by an exact power of ten is one correctly
// rounded float division, so the result equals the general parser's.
bool parseShortDecimal(std::string_view text, float& out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits > 9)
                return false;
            mantissa = mantissa * 10 + static_cast<std::uint32_t>(c - '0');
            if (point)
                ++decimals;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0 || mantissa >= (1u << 24) || decimals > 10)
        return false;
    const float value = static_cast<float>(mantissa) / kFloatPow10[decimals];
    out = negative ? -value : value;
    return true;
}

template <class T>
bool parseNumber(std::string_view text, T& out) {
    if constexpr (std::is_same_v<T, float>) {
        if (parseShortDecimal(trim(text), out))
            return true;
    }
    std::string s;
    if (!normalizeNumber(text, s))
        return false;
    T value{};
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return false;
    if (!std::isfinite(value))
        return false;
    out = value;
    return true;
}

}  // namespace

bool parseReal(std::string_view text, float& out) {
    return parseNumber(text, out);
}
bool parseDouble(std::string_view text, double& out) {
    return parseNumber(text, out);
}

double leadingNumber(std::string_view text) {
    text = trim(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const std::size_t digitsStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && text[digitsStart] == '.'))
        return 0.0;
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t expStart = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9')
            ++j;
        if (j > expStart)
            end = j;
    }
    double value = 0.0;
    if (!parseDouble(text.substr(0, end), value))
        return 0.0;
    return value;
}

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\r' || content[i] == '\n') {
            lines.emplace_back(content.substr(start, i - start));
            if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < content.size())
        lines.emplace_back(content.substr(start));
    return lines;
}

int fieldsOnLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (isBlank(line[i]) || line[i] == '\0' || line[i] == '\x1a'))
        ++i;
    if (i == line.size())
        return 0;
    int fields = 1;
    bool inQuotes = false;
    bool quoteClosed = false;
    bool fieldStart = true;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes) {
            if (c == '"') {
                inQuotes = false;
                quoteClosed = true;
            }
        } else if (c == ',') {
            ++fields;
            fieldStart = true;
            quoteClosed = false;
        } else if (c == '"' && fieldStart && !quoteClosed) {
            inQuotes = true;
            fieldStart = false;
        } else if (!isBlank(c)) {
            fieldStart = false;
        }
    }
    return fields;
}

std::string shownText(std::string_view text) {
    constexpr int kShownCharacters = 40;
    static const char* const hex = "0123456789abcdef";
    std::string out;
    int shown = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (shown == kShownCharacters) {
            out += "\xE2\x80\xA6";  // …
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        // Whole UTF-8 sequences stand for one character; a broken one is escaped.
        std::size_t length = c < 0x80           ? 1
                             : (c >> 5) == 0x6  ? 2
                             : (c >> 4) == 0xe  ? 3
                             : (c >> 3) == 0x1e ? 4
                                                : 0;
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80)
                length = 0;
        }
        if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f || length == 0) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xf];
        } else {
            out.append(text.substr(i, length));
            i += length;
            ++shown;
            continue;
        }
        ++i;
        ++shown;
    }
    return out;
}

bool skipByteOrderMark(std::string_view& text) {
    if (!text.starts_with("\xEF\xBB\xBF"))
        return false;
    text.remove_prefix(3);
    return true;
}

ListReader::ListReader(std::string fileName, std::string content)
    : ListReader(std::move(fileName), FileText(std::move(content))) {}

ListReader::ListReader(std::string fileName, FileText content)
    : fileName_(std::move(fileName)),
      text_(std::make_shared<const FileText>(std::move(content))),
      content_(text_->view()) {
    std::string_view view(content_);
    if (skipByteOrderMark(view))
        pos_ = 3;
}

ListReader ListReader::open(const std::string& path) {
    return ListReader(path, readWholeFile(path));
}

bool ListReader::atEnd() {
    std::size_t p = pos_;
    while (p < content_.size() && (isBlank(content_[p]) || isLineEnd(content_[p]) ||
                                   content_[p] == '\0' || content_[p] == '\x1a')) {
        if (isLineEnd(content_[p]) && afterComma_)
            return false;  // an empty field is still due
        ++p;
    }
    return p >= content_.size();
}

ListField ListReader::next(std::string_view what) {
    const ListField f = nextField(what);
    expecting_ = "a field";
    return f;
}

ListField ListReader::nextField(std::string_view what) {
    const std::size_t n = content_.size();
    // Skip blanks, and whole empty lines unless a comma left an empty field.
    while (pos_ < n) {
        const char c = content_[pos_];
        if (isBlank(c) || c == '\0' || c == '\x1a') {
            ++pos_;
        } else if (isLineEnd(c) && !afterComma_) {
            ++pos_;
            if (c == '\r' && pos_ < n && content_[pos_] == '\n')
                ++pos_;
            ++line_;
            fieldOnLine_ = 0;
        } else {
            break;
        }
    }
    if (pos_ >= n) {
        last_ = ListField{{}, false, line_, fieldOnLine_ + 1};
        std::string where = "field " + std::to_string(fieldOnLine_ + 1);
        if (!what.empty())
            where += " (" + std::string(what) + ")";
        throw ReadError(
            fileName_, line_,
            where + ": expected " + std::string(expecting_) + ", found the end of the file");
    }

    ListField f;
    f.line = line_;
    f.field = ++fieldOnLine_;
    afterComma_ = false;

    std::size_t start = pos_;
    std::size_t end = pos_;
    if (content_[pos_] == '"') {
        f.quoted = true;
        start = ++pos_;
        while (pos_ < n && content_[pos_] != '"' && !isLineEnd(content_[pos_]))
            ++pos_;
        end = pos_;
        if (pos_ < n && content_[pos_] == '"')
            ++pos_;
        // Anything between the closing quote and the delimiter is ignored.
        while (pos_ < n && content_[pos_] != ',' && !isLineEnd(content_[pos_]))
            ++pos_;
    } else {
        while (pos_ < n && content_[pos_] != ',' && !isLineEnd(content_[pos_]))
            ++pos_;
        end = pos_;
    }
    consumeDelimiter();
    std::string_view text(content_.data() + start, end - start);
    f.text = f.quoted ? text : trim(text);
    last_ = f;
    if (!recordOpen_) {
        recordOpen_ = true;
        recordFirst_ = f;
    }
    return f;
}

void ListReader::consumeDelimiter() {
    const std::size_t n = content_.size();
    if (pos_ >= n)
        return;
    if (content_[pos_] == ',') {
        ++pos_;
        afterComma_ = true;
        // Blanks before a line end do not hide the empty field it closes.
        std::size_t p = pos_;
        while (p < n && isBlank(content_[p]))
            ++p;
        if (p < n && isLineEnd(content_[p]))
            pos_ = p;
    } else {  // line end
        if (content_[pos_] == '\r' && pos_ + 1 < n && content_[pos_ + 1] == '\n')
            ++pos_;
        ++pos_;
        ++line_;
        fieldOnLine_ = 0;
    }
}

// A weather file is tens of thousands of fields like "12.5," or ".36\n". When
// the next field starts right at the current position and is a plain decimal
// of at most 7 digits ending at a delimiter, it is read in one pass with the
// arithmetic of parseShortDecimal (so the value is the same); anything else
// (blanks, quotes, empty fields, longer or odd numbers) goes the general way,
// with the reader untouched.
bool ListReader::quickReal(float& value) {
    const char* const end = content_.data() + content_.size();
    const char* const begin = content_.data() + pos_;
    const char* p = begin;
    const bool negative = p < end && *p == '-';
    if (negative)
        ++p;
    const char* const digitsStart = p;
    const char* point = nullptr;
    std::uint32_t mantissa = 0;
    for (; p < end; ++p) {
        const unsigned d = static_cast<unsigned>(static_cast<unsigned char>(*p)) - '0';
        if (d < 10)
            mantissa = mantissa * 10 + d;  // wraps only past 9 digits, refused below
        else if (*p == '.' && !point)
            point = p;
        else
            break;
    }
    const long digits = (p - digitsStart) - (point ? 1 : 0);
    if (digits < 1 || digits > 7 || (p < end && *p != ',' && !isLineEnd(*p)))
        return false;
    const long decimals = point ? p - point - 1 : 0;
    const float magnitude = static_cast<float>(mantissa) / kFloatPow10[decimals];
    value = negative ? -magnitude : magnitude;

    last_ = ListField{std::string_view(begin, static_cast<std::size_t>(p - begin)), false, line_,
                      ++fieldOnLine_};
    if (!recordOpen_) {
        recordOpen_ = true;
        recordFirst_ = last_;
    }
    afterComma_ = false;
    expecting_ = "a field";
    pos_ = static_cast<std::size_t>(p - content_.data());
    // A comma followed by the next number is the usual case; a comma before
    // blanks or a line end and a line end itself need the full rules.
    if (p + 1 < end && *p == ',' && !isBlank(p[1]) && !isLineEnd(p[1])) {
        ++pos_;
        afterComma_ = true;
    } else {
        consumeDelimiter();
    }
    return true;
}

namespace {

// A plain decimal of 1 to 7 digits at p, as quickReal reads it; the end of
// its text, or nullptr. The whole part and the decimals are two plain loops.
inline const char* plainDecimal(const char* p, const char* end, float& value) {
    const bool negative = p < end && *p == '-';
    p += negative ? 1 : 0;
    const char* const digitsStart = p;
    std::uint32_t mantissa = 0;
    unsigned d = 0;
    while (p < end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
        mantissa = mantissa * 10 + d;  // wraps only past 9 digits, refused below
        ++p;
    }
    long digits = p - digitsStart;
    long decimals = 0;
    if (p < end && *p == '.') {
        const char* const first = ++p;
        while (p < end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) < 10) {
            mantissa = mantissa * 10 + d;
            ++p;
        }
        decimals = p - first;
        digits += decimals;
    }
    if (digits < 1 || digits > 7)
        return nullptr;
    const float magnitude = static_cast<float>(mantissa) / kFloatPow10[decimals];
    value = negative ? -magnitude : magnitude;
    return p;
}

}  // namespace

bool ListReader::readTwoRealLine(float& first, float& second) {
    // Only at the start of a line, where the record check has nothing open.
    if (recordOpen_ || afterComma_ || fieldOnLine_ != 0)
        return false;
    const char* const end = content_.data() + content_.size();
    const char* const begin = content_.data() + pos_;
    float a = 0, b = 0;
    const char* p = plainDecimal(begin, end, a);
    if (!p || p >= end || *p != ',')
        return false;
    const char* const secondBegin = p + 1;
    p = plainDecimal(secondBegin, end, b);
    if (!p || p >= end || !isLineEnd(*p))
        return false;
    first = a;
    second = b;
    // The state readReal, readReal and endRecord(2) leave: the second field
    // last read, its line ended, no record open.
    last_ = ListField{std::string_view(secondBegin, static_cast<std::size_t>(p - secondBegin)),
                      false, line_, 2};
    expecting_ = "a field";
    if (*p == '\r' && p + 1 < end && p[1] == '\n')
        ++p;
    pos_ = static_cast<std::size_t>(p + 1 - content_.data());
    ++line_;
    return true;
}

std::string ListReader::readString(std::string_view what) {
    return std::string(next(what).text);
}

float ListReader::readReal(std::string_view what) {
    float quick = 0.0f;
    if (quickReal(quick))
        return quick;
    expecting_ = "a number";
    const ListField f = next(what);
    float value = 0.0f;
    if (!parseReal(f.text, value))
        fail("a number", what);
    return value;
}

double ListReader::readDouble(std::string_view what) {
    expecting_ = "a number";
    const ListField f = next(what);
    double value = 0.0;
    if (!parseDouble(f.text, value))
        fail("a number", what);
    return value;
}

std::int16_t ListReader::readInt16(std::string_view what) {
    expecting_ = "a whole number";
    const ListField f = next(what);
    double value = 0.0;
    if (!parseDouble(f.text, value))
        fail("a whole number", what);
    value = roundHalfEven(value);
    if (value < -32768.0 || value > 32767.0)
        fail("a whole number from -32768 to 32767", what);
    return static_cast<std::int16_t>(value);
}

std::int32_t ListReader::readInt32(std::string_view what) {
    expecting_ = "a whole number";
    const ListField f = next(what);
    double value = 0.0;
    if (!parseDouble(f.text, value))
        fail("a whole number", what);
    value = roundHalfEven(value);
    if (value < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        value > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        fail("a whole number that fits 32 bits", what);
    return static_cast<std::int32_t>(value);
}

void ListReader::skip(int fields) {
    for (int i = 0; i < fields; ++i)
        next();
}

void ListReader::fail(std::string_view expected, std::string_view what) const {
    throw ReadError(fileName_, last_.line, last_.field, std::string(expected),
                    std::string(last_.text), std::string(what));
}

void ListReader::failRange(std::string_view allowed, std::string_view what) const {
    std::string where = "field " + std::to_string(last_.field);
    if (!what.empty())
        where += " (" + std::string(what) + ")";
    throw ReadError(fileName_, last_.line, outsideRangeText(where, last_.text, allowed));
}

namespace {

// The text of line `number` (1-based) of a file's content.
std::string_view lineOf(std::string_view content, int number) {
    std::size_t start = 0;
    for (int line = 1; line < number && start < content.size(); ++line) {
        const std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            return {};
        start = end + 1;
        if (content[end] == '\r' && start < content.size() && content[start] == '\n')
            ++start;
    }
    const std::size_t end = content.find_first_of("\r\n", start);
    return content.substr(start,
                          end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace

void ListReader::endRecord(int expectedFields) {
    if (!recordOpen_)
        return;
    recordOpen_ = false;
    if (layoutWarned_)
        return;
    const bool lineEnded = line_ > last_.line || pos_ >= content_.size();
    if (recordFirst_.field == 1 && last_.line == recordFirst_.line &&
        last_.field == expectedFields && lineEnded)
        return;
    layoutWarned_ = true;
    std::string_view view(content_);
    skipByteOrderMark(view);
    const int found = fieldsOnLine(lineOf(view, recordFirst_.line));
    warnings_.push_back(fileNameOf(fileName_) + ":" + std::to_string(recordFirst_.line) +
                        ": expected " + std::to_string(expectedFields) + " field" +
                        (expectedFields == 1 ? "" : "s") + " on this line, found " +
                        std::to_string(found) + "; the values after it may be shifted");
}

bool ListReader::nextLineIs(std::string_view text) const {
    std::size_t p = pos_;
    const std::size_t n = content_.size();
    while (p < n && (isBlank(content_[p]) || isLineEnd(content_[p])))
        ++p;
    const std::size_t end = content_.find_first_of("\r\n", p);
    return trim(std::string_view(content_).substr(p, end == std::string::npos ? n - p : end - p)) ==
           text;
}

bool ListReader::takeTrailingEmptyField() {
    if (!afterComma_)
        return false;
    std::size_t p = pos_;
    while (p < content_.size() && isBlank(content_[p]))
        ++p;
    // A comma that ends the file leaves no field to read.
    if (p >= content_.size() || !isLineEnd(content_[p]))
        return false;
    next();
    return true;
}

int ListReader::fieldsOnNextLine() const {
    std::size_t p = pos_;
    const std::size_t n = content_.size();
    while (p < n && (isBlank(content_[p]) || isLineEnd(content_[p])))
        ++p;
    const std::size_t end = content_.find_first_of("\r\n", p);
    return fieldsOnLine(
        std::string_view(content_).substr(p, end == std::string::npos ? n - p : end - p));
}

void ListReader::dropText() {
    text_.reset();
    content_ = {};
    pos_ = 0;
    afterComma_ = false;
    recordOpen_ = false;
    last_.text = {};
    recordFirst_.text = {};
}

void ListReader::endOfRecords() {
    recordOpen_ = false;
    std::size_t p = pos_;
    int line = line_;
    const std::size_t n = content_.size();
    while (p < n && (isBlank(content_[p]) || isLineEnd(content_[p]) || content_[p] == '\0' ||
                     content_[p] == '\x1a')) {
        if (content_[p] == '\n' || (content_[p] == '\r' && (p + 1 >= n || content_[p + 1] != '\n')))
            ++line;
        ++p;
    }
    if (p >= n)
        return;
    const std::size_t end = content_.find_first_of("\r\n", p);
    const std::string_view text(content_.data() + p, (end == std::string::npos ? n : end) - p);
    warnings_.push_back(fileNameOf(fileName_) + ":" + std::to_string(line) +
                        ": text after the last record is ignored: \"" + shownText(text) + "\"");
}

}  // namespace rivulon
