// Files saved on Windows: lines that are not UTF-8 are Windows-1252.
#include <gtest/gtest.h>

#include "common/legacy_text.h"

namespace rivulon {
namespace {

TEST(LegacyText, KeepsUtf8AndConvertsWindows1252LineByLine) {
    // Line 1 is UTF-8 (left alone), line 2 Windows-1252 (e-circumflex, the
    // superscript three, the euro sign and a curly quote), line 3 ASCII.
    const std::string bytes =
        "\"For\xC3\xAAt:\",\r\n\"For\xEAt:\",\"Runoff (m\xB3)\",\"\x80\x93\",\r\nplain";
    EXPECT_EQ(utf8FromLegacyLines(bytes),
              "\"For\xC3\xAAt:\",\r\n\"For\xC3\xAAt:\",\"Runoff "
              "(m\xC2\xB3)\",\"\xE2\x82\xAC\xE2\x80\x9C\","
              "\r\nplain");
}

TEST(LegacyText, TellsMalformedUtf8) {
    EXPECT_TRUE(isValidUtf8("abc \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8C\x8A"));
    EXPECT_FALSE(isValidUtf8("\xC3"));             // cut short at the end
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(isValidUtf8("caf\xE9 au lait"));  // Windows-1252 e-acute
    EXPECT_EQ(utf8FromLegacyLines("caf\xE9\n\n"), "caf\xC3\xA9\n\n");
}

}  // namespace
}  // namespace rivulon
