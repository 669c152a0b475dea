#include "common/number_format.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace rivulon {

namespace {

// Writes |value| rounded to `digits` significant digits in the runtime's form.
template <class T>
void appendDigits(std::string& out, T value, int digits) {
    if (value == 0 || !std::isfinite(value)) {
        // Non-finite values never reach a file (the run guards them); keep the
        // output a readable number if one slips through.
        out += '0';
        return;
    }
    if (value < 0) {
        out += '-';
        value = -value;
    }
    char buf[48];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
    // buf holds d.ddddddde[+-]XX
    const char* e = static_cast<const char*>(std::memchr(buf, 'e', res.ptr - buf));
    char mant[24];
    int n = 0;
    for (const char* p = buf; p < e; ++p) {
        if (*p != '.')
            mant[n++] = *p;
    }
    while (n > 1 && mant[n - 1] == '0')
        --n;
    int exp = 0;
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), res.ptr, exp);

    if (exp >= 0 && exp < digits) {
        if (n <= exp + 1) {
            out.append(mant, n);
            out.append(static_cast<std::size_t>(exp + 1 - n), '0');
        } else {
            out.append(mant, exp + 1);
            out += '.';
            out.append(mant + exp + 1, n - exp - 1);
        }
    } else if (exp < 0 && (-exp - 1 + n) <= digits) {
        out += '.';
        out.append(static_cast<std::size_t>(-exp - 1), '0');
        out.append(mant, n);
    } else {
        out += mant[0];
        if (n > 1) {
            out += '.';
            out.append(mant + 1, n - 1);
        }
        out += 'E';
        out += exp < 0 ? '-' : '+';
        const int a = exp < 0 ? -exp : exp;
        if (a < 10)
            out += '0';
        char eb[8];
        const auto r = std::to_chars(eb, eb + sizeof eb, a);
        out.append(eb, r.ptr);
    }
}

}  // namespace

void appendReal(std::string& out, float value) {
    appendDigits(out, value, 7);
}

std::string formatReal(float value) {
    std::string s;
    appendReal(s, value);
    return s;
}

std::string formatDouble(double value) {
    std::string s;
    appendDigits(s, value, 15);
    return s;
}

void appendPrintStyle(std::string& out, float value) {
    if (!(value < 0))
        out += ' ';
    appendReal(out, value);
    out += ' ';
}

void appendPrintStyle(std::string& out, std::int32_t value) {
    if (value >= 0)
        out += ' ';
    char b[16];
    const auto r = std::to_chars(b, b + sizeof b, value);
    out.append(b, r.ptr);
    out += ' ';
}

std::string printStyle(float value) {
    std::string s;
    appendPrintStyle(s, value);
    return s;
}

std::string printStyle(std::int32_t value) {
    std::string s;
    appendPrintStyle(s, value);
    return s;
}

void RecordWriter::separate() {
    if (midRecord_)
        out_ += ',';
    midRecord_ = true;
}

RecordWriter& RecordWriter::text(std::string_view s) {
    separate();
    out_ += '"';
    out_ += s;
    out_ += '"';
    return *this;
}

RecordWriter& RecordWriter::integer(std::int32_t v) {
    separate();
    char b[16];
    const auto r = std::to_chars(b, b + sizeof b, v);
    out_.append(b, r.ptr);
    return *this;
}

RecordWriter& RecordWriter::real(float v) {
    separate();
    appendReal(out_, v);
    return *this;
}

RecordWriter& RecordWriter::raw(std::string_view s) {
    separate();
    out_ += s;
    return *this;
}

RecordWriter& RecordWriter::endRecord() {
    out_ += "\r\n";
    midRecord_ = false;
    return *this;
}

}  // namespace rivulon
