#include "project/weather_scan.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#define RIVULON_SSE2_LINES 1
#endif

#include "common/atomic_file.h"
#include "common/list_reader.h"
#include "common/read_error.h"
#include "project/weather_file.h"

namespace rivulon {

std::int32_t countLines(std::string_view content) {
    // Line ends are LF, CR LF or a lone CR. A weather file of a century is
    // hundreds of kilobytes, so many bytes are looked at together.
    const std::size_t n = content.size();
    const char* p = content.data();
    std::int64_t lines = 0;
    std::size_t i = 0;
#ifdef RIVULON_SSE2_LINES
    // Sixteen bytes at a time: each line end sets its byte of the mask to
    // all ones, which subtracted adds 1 to a byte counter; the counters are
    // summed before any can pass 255.
    const __m128i lfs = _mm_set1_epi8('\n');
    const __m128i crs = _mm_set1_epi8('\r');
    while (i + 17 <= n) {
        __m128i counts = _mm_setzero_si128();
        for (int round = 0; round < 255 && i + 17 <= n; ++round, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
            const __m128i lf = _mm_cmpeq_epi8(v, lfs);
            const __m128i loneCr =
                _mm_andnot_si128(_mm_cmpeq_epi8(after, lfs), _mm_cmpeq_epi8(v, crs));
            counts = _mm_sub_epi8(counts, _mm_or_si128(lf, loneCr));
        }
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        lines += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
#endif
    for (; i < n; ++i) {
        if (p[i] == '\n' || (p[i] == '\r' && (i + 1 >= n || p[i + 1] != '\n')))
            ++lines;
    }
    if (n > 0 && p[n - 1] != '\n' && p[n - 1] != '\r')
        ++lines;
    return static_cast<std::int32_t>(std::min<std::int64_t>(lines, INT32_MAX));
}

namespace {

// The first two fields: the second decides between a dated and an undated file.
WeatherScan firstFields(const std::string& fileName, std::string_view content) {
    WeatherScan scan;
    ListReader r(fileName, std::string(content));
    r.next("day count");
    const ListField second = r.next("date label or temperature");
    float number = 0;
    if (parseReal(second.text, number)) {
        scan.dated = false;
    } else {
        scan.startDate = parseDate(second.text);
        if (!scan.startDate) {
            throw ReadError(fileName, second.line, second.field, "a date such as 4/1/1990",
                            std::string(second.text), "date label");
        }
        scan.dated = true;
    }
    return scan;
}

}  // namespace

WeatherScan scanWeatherText(const std::string& fileName, std::string_view content) {
    // Only the first two fields are read, so a head of the text cut at a line
    // end serves (a century of weather need not be copied for them); when they
    // are not found in it, the whole text is read, for the usual message.
    constexpr std::size_t kHead = 4096;
    WeatherScan scan;
    bool found = false;
    if (content.size() > 2 * kHead) {
        const std::size_t cut = content.find_last_of("\r\n", kHead);
        if (cut != std::string_view::npos) {
            try {
                scan = firstFields(fileName, content.substr(0, cut + 1));
                found = true;
            } catch (const ReadError&) {
            }
        }
    }
    if (!found)
        scan = firstFields(fileName, content);
    scan.lineCount = countLines(content);
    scan.years = static_cast<std::int16_t>(std::min(scan.lineCount / kWeatherLinesPerYear, 32767));
    return scan;
}

WeatherScan scanWeatherFile(const std::string& path) {
    // The run that usually follows takes these bytes instead of reading again.
    WeatherScan scan;
    readWeatherFileForScan(path,
                           [&](std::string_view bytes) { scan = scanWeatherText(path, bytes); });
    return scan;
}

int yearsForSpinner(const WeatherScan& scan) {
    return std::max<int>(scan.years, 1);
}

std::string startDateText(const WeatherScan& scan) {
    return scan.dated && scan.startDate ? formatShortDate(*scan.startDate) : "N/A";
}

std::string endDateText(const WeatherScan& scan) {
    if (!scan.dated || !scan.startDate)
        return "N/A";
    return endDateForYears(scan.startDate, yearsForSpinner(scan));
}

std::string endDateForYears(const std::optional<CalendarDate>& start, int years) {
    if (!start)
        return "N/A";
    return formatShortDate(addDays(addYears(*start, years), -1));
}

}  // namespace rivulon

namespace rivulon {

std::optional<int> yearsFromBox(std::string_view text, int maxYears) {
    float value = 0;
    if (!parseReal(text, value) || value < 1 || value > static_cast<float>(std::max(maxYears, 1)) ||
        value != std::floor(value))
        return std::nullopt;
    return static_cast<int>(value);
}

std::string yearsBoxMessage(int maxYears) {
    return "The number of years must be a whole number from 1 to " +
           std::to_string(std::max(maxYears, 1)) + "!";
}

std::string endDateWhileTyping(const std::optional<CalendarDate>& start, std::string_view text,
                               int maxYears) {
    const std::optional<int> years = yearsFromBox(text, maxYears);
    return years ? endDateForYears(start, *years) : std::string();
}

}  // namespace rivulon
