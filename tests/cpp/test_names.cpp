// The shared rules about file names: the codec of file-system bytes, where
// the extension starts, and when a proposal renames.
#include <gtest/gtest.h>

#include "labelled.hpp"
#include "names/codec.hpp"
#include "names/rules.hpp"

namespace {

struct CodecCase {
    const char* label;
    std::string bytes;
    std::u32string text;
    friend void PrintTo(const CodecCase& c, std::ostream* os) { *os << c.label; }
};

class Codec : public ::testing::TestWithParam<CodecCase> {};

TEST_P(Codec, DecodesAsTheHostAndEncodesBack) {
    const CodecCase& c = GetParam();
    EXPECT_EQ(names::decode(c.bytes), c.text);
    EXPECT_EQ(names::encode(c.text), c.bytes);
}

// UTF-8 as the host reads it; every byte that is not part of a valid
// sequence stands for itself as U+DC80..U+DCFF.
INSTANTIATE_TEST_SUITE_P(
    Names, Codec,
    ::testing::Values(CodecCase{"Empty", "", U""},
                      CodecCase{"Ascii", "Notes - Lee.txt", U"Notes - Lee.txt"},
                      CodecCase{"TwoBytes", "caf\xc3\xa9", U"caf\u00e9"},
                      CodecCase{"ThreeBytes", "a\xe2\x80\x93" "b", U"a\u2013b"},
                      CodecCase{"FourBytes", "\xf0\x9f\x98\x80", U"\U0001F600"},
                      CodecCase{"LoneByte", "bad\xff name", U"bad\xdcff name"},
                      CodecCase{"LoneContinuationByte", "\x80", U"\xdc80"},
                      CodecCase{"Overlong", "\xc0\x80", U"\xdcc0\xdc80"},
                      CodecCase{"EncodedSurrogate", "\xed\xa0\x80", U"\xdced\xdca0\xdc80"},
                      CodecCase{"BeyondUnicode", "\xf4\x90\x80\x80", U"\xdcf4\xdc90\xdc80\xdc80"},
                      CodecCase{"CutShort", "x\xe2\x80", U"x\xdce2\xdc80"},
                      CodecCase{"CutShortBeforeAscii", "\xe2\x80y", U"\xdce2\xdc80y"}),
    labelled::ByLabel());

struct SplitCase {
    const char* label;
    std::u32string name;
    std::u32string extension;
    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.label; }
};

class Extension : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Extension, FromTheLastDotWithSomethingBeforeIt) {
    const std::u32string& name = GetParam().name;
    EXPECT_EQ(name.substr(names::extension_start(name)), GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Extension,
    ::testing::Values(SplitCase{"TwoDots", U"a.b.txt", U".txt"},
                      SplitCase{"DoubleExtension", U"archive.tar.gz", U".gz"},
                      SplitCase{"HiddenFile", U".gitignore", U""},
                      SplitCase{"HiddenProfile", U".profile", U""},
                      SplitCase{"DigitAfterTheDot", U"Vol.2", U".2"},
                      SplitCase{"TrailingDot", U"trailing.", U"."},
                      SplitCase{"OnlyDotsBefore", U"..x", U""},
                      SplitCase{"TwoTrailingDots", U"a..", U"."},
                      SplitCase{"OnlyDots", U"...", U""},
                      SplitCase{"NoDot", U"README", U""},
                      SplitCase{"Empty", U"", U""},
                      SplitCase{"NonAscii", U"caf\u00e9.m\u00f6v", U".m\u00f6v"}),
    labelled::ByLabel());

TEST(Tick, NonEmptyAndDifferentIncludingCase) {
    EXPECT_TRUE(names::proposes_change(U"b", U"a"));
    EXPECT_TRUE(names::proposes_change(U"Notes", U"notes"));
    EXPECT_FALSE(names::proposes_change(U"a", U"a"));
    EXPECT_FALSE(names::proposes_change(U"", U"a"));
}

}  // namespace
