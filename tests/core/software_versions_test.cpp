// The program's version record and the build identity behind it, taken from git at configure
// time by cmake/build_revision.cmake.

#include "support/process.h"
#include "support/site.h"

#include "core/software_versions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace z2e {
namespace {

// "revision;hash" as the configure step would bake it in for `sourceDir`.
std::string identityOf(const std::string& sourceDir, const test::ScratchFolder& scratch)
{
    const test::ProcessResult run =
        test::runProcess(ZAMO2_CMAKE_COMMAND, {"-DSOURCE_DIR=" + sourceDir, "-DOUTPUT=" + (scratch / "identity"), "-P",
                                               ZAMO2_BUILD_REVISION_SCRIPT});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return test::readFile(scratch / "identity");
}

std::string git(const std::string& folder, const std::vector<std::string>& args)
{
    std::vector<std::string> all{"-C", folder, "-c", "user.name=t", "-c", "user.email=t@example.invalid"};
    all.insert(all.end(), args.begin(), args.end());
    const test::ProcessResult run = test::runProcess("/usr/bin/git", all);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
}

TEST(SoftwareVersions, BuildIdentityIsTheCheckoutsOrUnknown)
{
    test::ScratchFolder scratch("z2e-revision");
    const std::string tree = scratch / "tree";
    std::filesystem::create_directories(tree + "/sub");
    test::writeFile(tree + "/a.txt", "a");
    EXPECT_EQ(identityOf(tree, scratch), "unknown;unknown");

    git(tree, {"init", "-q"});
    git(tree, {"add", "a.txt"});
    git(tree, {"commit", "-q", "-m", "first"});
    const std::string head = git(tree, {"rev-parse", "HEAD"}).substr(0, 12);
    EXPECT_EQ(identityOf(tree, scratch), "1;" + head);
    test::writeFile(tree + "/a.txt", "changed");
    EXPECT_EQ(identityOf(tree, scratch), "1;" + head + "-dirty");
    // A folder inside a checkout is not a checkout of its own.
    test::writeFile(tree + "/sub/b.txt", "b");
    EXPECT_EQ(identityOf(tree + "/sub", scratch), "unknown;unknown");

    const SoftwareVersionRecord record = programVersionRecord({"1", head, "0.1.0"});
    EXPECT_EQ(record.comment, "Revision: 1\nHash: " + head + "\n");
}

} // namespace
} // namespace z2e
