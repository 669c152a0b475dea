#include "project/dates.h"

#include <cctype>
#include <charconv>
#include <ctime>
#include <vector>

namespace rivulon {

namespace {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CalendarDate civilFromDays(long z) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2));
    return {y, m, d};
}

int currentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
}

// Month number of an English month name or its first three letters, else 0.
int monthFromName(std::string_view word) {
    static constexpr const char* kNames[] = {"january",   "february", "march",    "april",
                                             "may",       "june",     "july",     "august",
                                             "september", "october",  "november", "december"};
    if (word.size() < 3)
        return 0;
    std::string lower;
    for (char c : word)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int i = 0; i < 12; ++i) {
        const std::string_view name(kNames[i]);
        if (lower.size() <= name.size() && name.substr(0, lower.size()) == lower)
            return i + 1;
    }
    return 0;
}

struct Token {
    std::string_view text;
    bool number = false;
    int value = 0;
};

// Splits at blanks, '/', '-', '.', ',' into numbers and words; false on any
// other character.
bool tokenize(std::string_view s, std::vector<Token>& out) {
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '/' || c == '-' || c == '.' || c == ',') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        if (std::isdigit(static_cast<unsigned char>(c))) {
            while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
                ++i;
            Token t{s.substr(start, i - start), true, 0};
            if (t.text.size() > 4)
                return false;
            std::from_chars(t.text.data(), t.text.data() + t.text.size(), t.value);
            out.push_back(t);
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])))
                ++i;
            out.push_back({s.substr(start, i - start), false, 0});
        } else {
            return false;
        }
    }
    return true;
}

int expandYear(const Token& t) {
    if (t.text.size() <= 2)
        return t.value < 30 ? 2000 + t.value : 1900 + t.value;
    return t.value;
}

std::optional<CalendarDate> make(int y, int m, int d) {
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m))
        return {};
    return CalendarDate{y, m, d};
}

}  // namespace

std::optional<CalendarDate> parseDate(std::string_view text) {
    std::vector<Token> t;
    if (!tokenize(text, t) || t.size() < 2 || t.size() > 3)
        return {};
    const bool threeNumbers = t.size() == 3 && t[0].number && t[1].number && t[2].number;
    if (threeNumbers) {
        if (t[0].text.size() == 4)
            return make(t[0].value, t[1].value, t[2].value);    // ISO
        return make(expandYear(t[2]), t[0].value, t[1].value);  // US month/day/year
    }
    if (t.size() == 2 && t[0].number && t[1].number) {
        return make(currentYear(), t[0].value, t[1].value);  // month/day
    }
    // One word naming the month, the rest numbers: day, month [, year] or
    // month, day [, year].
    int word = -1;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!t[i].number) {
            if (word >= 0)
                return {};
            word = static_cast<int>(i);
        }
    }
    if (word < 0 || word == 2)
        return {};
    const int month = monthFromName(t[word].text);
    if (month == 0)
        return {};
    const Token& day = t[word == 0 ? 1 : 0];
    const int year = t.size() == 3 ? expandYear(t[2]) : currentYear();
    return make(year, month, day.value);
}

std::string formatShortDate(const CalendarDate& date) {
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" +
           std::to_string(date.year);
}

CalendarDate addDays(const CalendarDate& date, long days) {
    return civilFromDays(daysFromCivil(date.year, date.month, date.day) + days);
}

CalendarDate addYears(const CalendarDate& date, int years) {
    CalendarDate out = date;
    out.year += years;
    const int last = daysInMonth(out.year, out.month);
    if (out.day > last)
        out.day = last;
    return out;
}

}  // namespace rivulon
