#include <gtest/gtest.h>

#include "common/text_encoding.h"

namespace rivulon {
namespace {

TEST(TextEncoding, ValidUtf8IsRecognisedAndBrokenFormsAreNot) {
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("Rivi\xC3\xA8re m\xC2\xB3 \xE2\x82\xAC \xF0\x9F\x8C\x8A"));
    EXPECT_FALSE(isValidUtf8("Rivi\xE8re"));        // Windows-1252 è
    EXPECT_FALSE(isValidUtf8("\xC3"));              // cut short at the end
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));          // three-byte form missing a byte
}

// Each line is judged by itself: a file edited partly on Windows keeps its
// UTF-8 lines and has its Windows-1252 lines converted.
TEST(TextEncoding, MixedLinesBecomeUtf8) {
    EXPECT_EQ(utf8FromMixedLines("\"Rivi\xE8re\",3\r\n\"m\xC2\xB3\",\x80\x93\x9D\n"
                                 "last \xB3"),
              "\"Rivi\xC3\xA8re\",3\r\n\"m\xC3\x82\xC2\xB3\",\xE2\x82\xAC\xE2\x80\x9C\xC2\x9D\n"
              "last \xC2\xB3");
    const std::string utf8 = "Pr\xC3\xA9 sal\xC3\xA9\r\n";
    EXPECT_EQ(utf8FromMixedLines(utf8), utf8);
}

}  // namespace
}  // namespace rivulon
