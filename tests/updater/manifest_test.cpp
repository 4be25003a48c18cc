// The manifest parser and its checks, the install path of an entry, and the counter and bar
// position.
#include "updater/logic/manifest.h"

#include <gtest/gtest.h>

#include <string>

namespace rx::updater {
namespace {

constexpr std::size_t roomy = 400;

std::string header() {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
}

TEST(Manifest, HeaderIsSkippedAndALastLineWithoutLineFeedIsNoEntry) {
    const auto result =
        parse_manifest(header() + "filesize:123\n/a.txt.gz\n/images/b.png.gz", roomy);
    ASSERT_TRUE(result.value) << result.reason;
    EXPECT_EQ(result.value->total, 123u);
    ASSERT_EQ(result.value->entries.size(), 1u);
    EXPECT_EQ(result.value->entries[0], "/a.txt.gz");
}

TEST(Manifest, EntriesKeepTheirOrder) {
    const auto result =
        parse_manifest("filesize:1000\n/z.gz\n/images/b.png.gz\n/a/b/c.png.gz\n", roomy);
    ASSERT_TRUE(result.value) << result.reason;
    EXPECT_EQ(result.value->entries,
              (std::vector<std::string>{"/z.gz", "/images/b.png.gz", "/a/b/c.png.gz"}));
}

TEST(Manifest, InstallPathDropsTheLeadingSlashAndTheGzEnding) {
    EXPECT_EQ(installed_path("/images/b.png.gz"), "images/b.png");
    EXPECT_EQ(installed_path("/a/b/c.png.gz"), "a/b/c.png");
    EXPECT_EQ(installed_path("/Relicade.gz"), "Relicade");
}

struct refused_case {
    const char* name;
    std::string body;
};

TEST(Manifest, HostileAndBrokenManifestsAreRefusedWhole) {
    const std::string ok = "/fine.txt.gz\n";
    const std::vector<refused_case> cases = {
        {"parent folder", "filesize:100\n" + ok + "/../x.gz\n"},
        {"parent after a folder", "filesize:100\n/a/../../x.gz\n"},
        {"backslash", "filesize:100\n/..\\x.gz\n"},
        {"drive", "filesize:100\n/C:/x.gz\n"},
        {"device name", "filesize:100\n/con.txt.gz\n"},
        {"device name in a folder", "filesize:100\n/images/LPT1.gz\n"},
        {"device without extension", "filesize:100\n/aux.gz\n"},
        {"empty line", "filesize:100\n" + ok + "\n/other.gz\n"},
        {"empty component", "filesize:100\n/images//b.png.gz\n"},
        {"dot component", "filesize:100\n/./b.png.gz\n"},
        {"no leading slash", "filesize:100\nb.png.gz\n"},
        {"no gz ending", "filesize:100\n/b.png\n"},
        {"nothing before .gz", "filesize:100\n/images/.gz\n"},
        {"trailing dot", "filesize:100\n/b..gz\n"},
        {"blank", "filesize:100\n/a b.gz\n"},
        {"carriage return", "filesize:100\n/a.gz\r\n"},
        {"percent", "filesize:100\n/a%2f.gz\n"},
        {"query", "filesize:100\n/a?.gz\n"},
        {"duplicate install path without case",
         "filesize:100\n/Images/B.png.gz\n/images/b.png.gz\n"},
        {"file where a folder is needed", "filesize:100\n/data.gz\n/data/x.gz\n"},
        {"folder where a file is", "filesize:100\n/DATA/x.gz\n/data.gz\n"},
        {"into the update folder", "filesize:100\n/update/x.gz\n"},
        {"a staged file's name", "filesize:100\n/a.gz\n/a.rx_new.gz\n"},
        {"a set-aside file's name", "filesize:100\n/images/B.PNG.RX_OLD2.gz\n"},
        {"missing filesize", ok},
        {"filesize without line feed", "filesize:100"},
        {"negative total", "filesize:-5\n" + ok},
        {"total with text", "filesize:12abc\n" + ok},
        {"empty total", "filesize:\n" + ok},
        {"total too large", "filesize:2147483648\n" + ok},
        {"only blanks for a total", "filesize: \r\n" + ok},
        {"total split by a blank", "filesize:1 23\n" + ok},
        {"no entries", "filesize:100\n"},
        {"only an unfinished line", "filesize:100\n/a.gz"},
    };
    for (const refused_case& c : cases) {
        const auto result = parse_manifest(header() + c.body, roomy);
        EXPECT_FALSE(result.value) << c.name;
        EXPECT_FALSE(result.reason.empty()) << c.name;
    }
}

// The total only drives the counter and the bar: whatever a number reader takes from the line is
// believed, however small, rather than locking the user out of the client until the service
// changes.
TEST(Manifest, TotalsANumberReaderTakesAreBelieved) {
    const std::vector<std::pair<std::string, std::uint64_t>> totals = {
        {"filesize: 123\n", 123},      {"filesize:123\r\n", 123}, {"filesize:\t 123 \r\n", 123},
        {"filesize:+7\n", 7},          {"filesize:17\n", 17},     {"filesize:0\n", 0},
        {"filesize:0000000042\n", 42},
    };
    for (const auto& [line, total] : totals) {
        const auto result = parse_manifest(header() + line + "/a.gz\n/b.gz\n", roomy);
        ASSERT_TRUE(result.value) << line << ": " << result.reason;
        EXPECT_EQ(result.value->total, total) << line;
        EXPECT_EQ(result.value->entries.size(), 2u) << line;
    }
}

TEST(Manifest, DownloadsMayPassTheTotalButNotWithoutEnd) {
    EXPECT_GE(download_limit(1000, 0), 4000u);
    EXPECT_EQ(download_limit(0, 500), 500u);
    // Even the largest total and margin leave a limit that the byte count cannot overflow.
    EXPECT_GE(download_limit(max_total, default_download_margin), max_total);
    EXPECT_LT(download_limit(max_total, default_download_margin), std::uint64_t{1} << 40);
}

TEST(Manifest, AnEntryMustFitTheRequestBuffer) {
    const std::string entry = "/" + std::string(40, 'a') + ".gz";
    EXPECT_TRUE(parse_manifest("filesize:100\n" + entry + "\n", entry.size()).value);
    EXPECT_FALSE(parse_manifest("filesize:100\n" + entry + "\n", entry.size() - 1).value);
}

TEST(Manifest, PlainNamesAndTheLargestCountableTotalPass) {
    const auto result = parse_manifest(
        "filesize:2147483647\n/NEURPOLI.TTF.gz\n/images/progress_bar_border.png.gz\n"
        "/plugin/1964Input.dll.gz\n/a/b/c/d-e_f+g~(h).txt.gz\n/console.txt.gz\n/com10.gz\n"
        "/notes.rx_new.txt.gz\n",
        roomy);
    ASSERT_TRUE(result.value) << result.reason;
    EXPECT_EQ(result.value->entries.size(), 7u);
}

TEST(Manifest, DeviceNamesAreKnownWhateverTheirCaseOrExtension) {
    for (const char* name : {"CON", "prn", "Aux", "nul.txt", "COM1", "com9.dat", "LPT3", "lpt0"})
        EXPECT_TRUE(reserved_device_name(name)) << name;
    for (const char* name : {"CONSOLE", "nullify", "com", "com10", "lpt", "auxiliary.txt", "a.con"})
        EXPECT_FALSE(reserved_device_name(name)) << name;
}

TEST(Manifest, LocationIsAPlainVersionText) {
    EXPECT_TRUE(valid_location("v4.30"));
    EXPECT_TRUE(valid_location("release-2_b"));
    for (const char* bad : {"", ".", "..", "v4.30/../x", "v4 30", "v4.30?x=1", "a\\b", "%2e%2e"})
        EXPECT_FALSE(valid_location(bad)) << bad;
    EXPECT_FALSE(valid_location(std::string(33, 'v')));
}

TEST(Progress, CounterAndBarFollowTheBytes) {
    EXPECT_EQ(counter_text(250, 1000), "250 / 1000");
    EXPECT_EQ(bar_view_x(250, 1000), 450);
    EXPECT_EQ(bar_view_x(0, 1000), 600);
    EXPECT_EQ(bar_view_x(1000, 1000), 0);
    // The floating-point product is cut, not rounded.
    EXPECT_EQ(bar_view_x(1, 3), 400);
    EXPECT_EQ(bar_view_x(1, 7), 515);
}

TEST(Progress, TheBarNeverLeavesItsBox) {
    EXPECT_EQ(bar_view_x(0, 0), 0);  // nothing to fetch counts as done, no division
    EXPECT_EQ(bar_view_x(5, 0), 0);
    EXPECT_EQ(bar_view_x(2000, 1000), 0);
    EXPECT_EQ(bar_view_x(-1, 1000), 600);
    EXPECT_EQ(bar_view_x(1, 2147483647), 600);
    for (std::int64_t done = 0; done <= 1000; done += 7) {
        const int x = bar_view_x(done, 1000);
        EXPECT_GE(x, 0);
        EXPECT_LE(x, 600);
    }
}

}  // namespace
}  // namespace rx::updater
