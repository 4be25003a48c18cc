// The Sega core's build script refuses a source tarball that is missing or not the pinned one, and
// then installs no core (the consoles fall back to saying their emulator is missing).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "files.h"

namespace {

struct refusal_case {
    const char* name;
    const char* tarball;  // written into the cache folder; nullptr: no file at all
    const char* message;  // what the script says
};

class BlastemSource : public ::testing::TestWithParam<refusal_case> {};

}  // namespace

TEST_P(BlastemSource, IsRefusedAndNoCoreIsInstalled) {
    const refusal_case& c = GetParam();
    rx::test::temp_dir folder{"rx_blastem_build"};
    const std::string tarball = folder.file("blastem.orig.tar.gz");
    if (c.tarball) {
        ASSERT_TRUE(rx::test::write_file(tarball, c.tarball));
    }
    const std::string said = folder.file("said.txt");
    const std::string command = "RX_BLASTEM_TARBALL='" + tarball + "' bash '" +
                                RX_BUILD_BLASTEM_SCRIPT + "' '" + folder.file("program") + "' '" +
                                folder.file("cache") + "' 2>'" + said + "'";
    // A refusal does not stop the whole build: the other consoles still get their cores.
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_NE(rx::test::read_file(said).find(c.message), std::string::npos)
        << rx::test::read_file(said);
    EXPECT_NE(rx::test::read_file(said).find("emulator is missing"), std::string::npos);
    EXPECT_TRUE(rx::test::read_file(folder.file("program/cores/libblastem.so")).empty());
    EXPECT_TRUE(rx::test::read_file(folder.file("cache/libblastem.stamp")).empty());
    // A tarball given by the caller is the caller's: it is left where it was.
    if (c.tarball) {
        EXPECT_EQ(rx::test::read_file(tarball), c.tarball);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Build, BlastemSource,
    ::testing::Values(refusal_case{"WrongBytes", "not the BlastEm source", "refused"},
                      refusal_case{"Empty", "", "refused"},
                      refusal_case{"Missing", nullptr, "cannot fetch"}),
    [](const ::testing::TestParamInfo<refusal_case>& info) { return info.param.name; });
