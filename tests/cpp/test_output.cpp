// The command's entries as printed: order, formats and the reasons.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/output.hpp"

namespace {

using namespace std::string_literals;
using renamer::Entry;
using renamer::Status;

const std::vector<Entry> ENTRIES = {
    {"sub/b", "c", Status::done, ""},
    {"sub b", "x\ty", Status::refused, "a file or folder of that name exists"},
    {"sub-a", "z", Status::failed, "Permission denied"},
    {"\xc3\xa9", "e", Status::done, ""},
    {"Sub", "s\n", Status::done, ""},
};

std::string written(cli::Format format, bool after_batch) {
    cli::Output output(format, after_batch);
    output.add(ENTRIES[0]);
    output.add({ENTRIES.begin() + 1, ENTRIES.end()});
    std::ostringstream out;
    output.write(out);
    return out.str();
}

TEST(Output, LinesSortedByteByByte) {
    // ' ' < '-' < '/' < 'S' < 's' < 0xC3, as LC_ALL=C sort orders them.
    EXPECT_EQ(written(cli::Format::lines, false),
              "Sub\ts\n\nsub b\tx\ty\ta file or folder of that name exists\nsub-a\tz\tPermission denied\n"
              "sub/b\tc\n\xc3\xa9\te\n");
}

TEST(Output, AfterABatchTheReasonSaysRefusedOrFailed) {
    EXPECT_EQ(written(cli::Format::lines, true),
              "Sub\ts\n\nsub b\tx\ty\trefused: a file or folder of that name exists\n"
              "sub-a\tz\tfailed: Permission denied\nsub/b\tc\n\xc3\xa9\te\n");
}

TEST(Output, NullEndsEveryOneOfThreeFields) {
    const std::string expected =
        "Sub\0s\n\0\0sub b\0x\ty\0refused: a file or folder of that name exists\0"
        "sub-a\0z\0failed: Permission denied\0sub/b\0c\0\0\xc3\xa9\0e\0\0"s;
    EXPECT_EQ(written(cli::Format::null, true), expected);
}

TEST(Output, JsonLinesInTheSameOrder) {
    EXPECT_EQ(written(cli::Format::json, false),
              "{\"path\": \"Sub\", \"new\": \"s\\n\", \"status\": \"done\", \"reason\": \"\"}\n"
              "{\"path\": \"sub b\", \"new\": \"x\\ty\", \"status\": \"refused\", "
              "\"reason\": \"a file or folder of that name exists\"}\n"
              "{\"path\": \"sub-a\", \"new\": \"z\", \"status\": \"failed\", \"reason\": \"Permission denied\"}\n"
              "{\"path\": \"sub/b\", \"new\": \"c\", \"status\": \"done\", \"reason\": \"\"}\n"
              "{\"path\": \"\xc3\xa9\", \"new\": \"e\", \"status\": \"done\", \"reason\": \"\"}\n");
}

TEST(Output, QuietPrintsNothingAndWriteEmptiesTheOutput) {
    EXPECT_EQ(written(cli::Format::none, true), "");
    cli::Output output(cli::Format::lines, false);
    output.add(ENTRIES[0]);
    std::ostringstream out;
    output.write(out);
    output.write(out);
    EXPECT_EQ(out.str(), "sub/b\tc\n");
}

}  // namespace

namespace {

TEST(Output, SkippedNamesOnlyInJsonInTheirPlaces) {
    for (const cli::Format format : {cli::Format::json, cli::Format::lines, cli::Format::null}) {
        cli::Output output(format, false);
        output.add(renamer::Entry{"b", "c", renamer::Status::rename, ""});
        output.add_skipped("a", "a", "does not fit 'a - b'");
        std::ostringstream out;
        output.write(out);
        EXPECT_EQ(out.str(), format == cli::Format::json
                                 ? "{\"path\": \"a\", \"new\": \"a\", \"status\": \"skipped\", \"reason\": \"does not fit 'a - b'\"}\n"
                                   "{\"path\": \"b\", \"new\": \"c\", \"status\": \"rename\", \"reason\": \"\"}\n"
                             : format == cli::Format::lines ? "b\tc\n"
                                                            : std::string("b\0c\0\0", 5));
    }
}

}  // namespace

namespace {

TEST(Output, APreviewsRequestsAndVerdictsTakeTheirPlacesAmongEntries) {
    cli::Output output(cli::Format::lines, false);
    output.add(Entry{"m", "n", Status::rename, ""});
    output.add(std::vector<renamer::Request>{{"z", "1", {}}, {"a", "2", {}}},
               std::vector<renamer::Verdict>{{Status::rename, ""}, {Status::refused, "why"}});
    std::ostringstream out;
    output.write(out);
    EXPECT_EQ(out.str(), "a\t2\twhy\nm\tn\nz\t1\n");
}

TEST(Output, EqualPathsKeepTheOrderTheyCameIn) {
    cli::Output output(cli::Format::lines, true);
    output.add(std::vector<Entry>{{"p", "1", Status::done, ""}, {"a", "x", Status::done, ""}, {"p", "2", Status::failed, "no"}});
    std::ostringstream out;
    output.write(out);
    EXPECT_EQ(out.str(), "a\tx\np\t1\np\t2\tfailed: no\n");
}

TEST(Output, ARefusalWithoutAReasonEndsTheLineAtTheNewName) {
    for (const bool after_batch : {false, true}) {
        cli::Output output(cli::Format::lines, after_batch);
        output.add(Entry{"r", "s", Status::refused, ""});
        std::ostringstream out;
        output.write(out);
        EXPECT_EQ(out.str(), after_batch ? "r\ts\trefused: \n" : "r\ts\n");
    }
}

}  // namespace
