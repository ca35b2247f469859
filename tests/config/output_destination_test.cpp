// Files the operator names: nothing that stands there is destroyed, the program's own data is
// never a destination, and no temporary file stays. The driver configuration's writer keeps
// writing through a link, on purpose.

#include "support/site.h"

#include "config/atomic_file_writer.h"
#include "config/output_destination.h"
#include "config/temporary_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace z2e {
namespace {

namespace fs = std::filesystem;
using Status = OutputDestination::Status;
using test::readFile;
using test::writeFile;

// Every name in `folder`, hidden ones and links included, sorted.
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool anyTemporary(const std::string& folder)
{
    for (const std::string& name : namesIn(folder)) {
        if (name.find(TemporaryFiles::kPrefix) != std::string::npos || name.find(".tmp") != std::string::npos)
            return true;
    }
    return false;
}

// A pid that has certainly ended: a child that exited and was reaped.
long deadPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

std::string temporaryName(long pid, unsigned long long start, const std::string& random)
{
    return std::string(TemporaryFiles::kPrefix) + std::to_string(pid) + "-" + std::to_string(start) + "-" + random;
}

// The outcome has `status` and a message that says `words`.
void expectOutcome(const OutputDestination::Result& result, Status status, const std::string& words)
{
    EXPECT_EQ(result.status, status) << result.message;
    EXPECT_NE(result.message.find(words), std::string::npos) << result.message;
}

class OutputDestinationTest : public ::testing::Test {
protected:
    void TearDown() override { OutputDestination::clearOwnData(); }

    std::string path(const std::string& name) const { return m_scratch / name; }

    test::ScratchFolder m_scratch{"z2e-destination"};
};

TEST_F(OutputDestinationTest, AFifoIsRefusedInWordsAndStaysWithoutAReaderBlocking)
{
    const std::string fifo = path("package.zip");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const bool replace : {false, true}) {
        const auto result = OutputDestination::write(fifo, "content", {replace, true});
        expectOutcome(result, Status::NotRegular, "is a FIFO (named pipe), not a regular file");
        EXPECT_TRUE(result.refused());
    }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
    EXPECT_EQ(namesIn(m_scratch.path()), std::vector<std::string>{"package.zip"});
}

TEST_F(OutputDestinationTest, ADeviceAFolderAndALinkAreNeverReplaced)
{
    expectOutcome(OutputDestination::write("/dev/null", "content", {true, true}), Status::NotRegular,
                  "/dev/null is a device");
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status("/dev/null")));

    fs::create_directories(path("folder.zip/inside"));
    expectOutcome(OutputDestination::write(path("folder.zip"), "content", {true, true}), Status::NotRegular,
                  "is a folder");
    EXPECT_TRUE(fs::is_directory(path("folder.zip/inside")));

    writeFile(path("target.txt"), "kept");
    fs::create_symlink(path("target.txt"), path("link.zip"));
    expectOutcome(OutputDestination::write(path("link.zip"), "content", {true, true}), Status::NotRegular,
                  "is a symbolic link");
    EXPECT_TRUE(fs::is_symlink(path("link.zip")));
    EXPECT_EQ(readFile(path("target.txt")), "kept");
    EXPECT_FALSE(anyTemporary(m_scratch.path()));
}

TEST_F(OutputDestinationTest, AnExistingFileIsReplacedOnlyWhenAskedAndNeverWhenReadOnly)
{
    const std::string file = path("report.csv");
    writeFile(file, "old");
    ::chmod(file.c_str(), 0640);
    expectOutcome(OutputDestination::write(file, "new", {false, true}), Status::Exists,
                  "exists; it is replaced only when asked to (zamo2ctl --force)");
    EXPECT_EQ(readFile(file), "old");

    const auto replaced = OutputDestination::write(file, "new", {true, true});
    EXPECT_TRUE(replaced.ok()) << replaced.message;
    EXPECT_EQ(readFile(file), "new");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    ::chmod(file.c_str(), 0444);
    expectOutcome(OutputDestination::write(file, "newer", {true, true}), Status::ReadOnly, "is read-only");
    EXPECT_EQ(readFile(file), "new");

    const auto fresh = OutputDestination::write(path("fresh.csv"), "fresh", {false, true});
    EXPECT_TRUE(fresh.ok()) << fresh.message;
    EXPECT_EQ(readFile(path("fresh.csv")), "fresh");
    EXPECT_EQ(namesIn(m_scratch.path()), (std::vector<std::string>{"fresh.csv", "report.csv"}));

    const auto nowhere = OutputDestination::write(path("missing/x.csv"), "x", {true, true});
    EXPECT_EQ(nowhere.status, Status::Failed);
    EXPECT_FALSE(nowhere.refused());
    EXPECT_FALSE(fs::exists(path("missing")));
}

TEST_F(OutputDestinationTest, TheProgramsOwnDataIsNeverADestinationByAnyName)
{
    fs::create_directories(path("data/maintenance/10A80001"));
    writeFile(path("data/maintenance/history.jsonl"), "{}\n");
    fs::create_directories(path("config"));
    writeFile(path("config/zmpxi_api_config.xml"), "<zmpxi_api_config/>");
    OutputDestination::protectOwnData(path("data"), "the maintenance journal");
    OutputDestination::protectOwnData(path("config/zmpxi_api_config.xml"), "the driver configuration");
    fs::create_directories(path("out"));
    fs::create_symlink(path("data/maintenance"), path("out/alias"));
    fs::create_symlink(path("data/maintenance/history.jsonl"), path("out/history.zip"));
    fs::create_hard_link(path("config/zmpxi_api_config.xml"), path("out/hard.xml"));

    for (const std::string& name :
         {path("data/maintenance/history.jsonl"), path("data/maintenance/10A80001/new.zip"),
          path("out/alias/history.jsonl"), path("out/alias/new.zip"), path("out/../data/maintenance/new.zip"),
          path("out/history.zip"), path("config/zmpxi_api_config.xml"), path("out/hard.xml")}) {
        SCOPED_TRACE(name);
        expectOutcome(OutputDestination::write(name, "package", {true, true}), Status::OwnData,
                      "kept by the program itself");
    }
    EXPECT_EQ(readFile(path("data/maintenance/history.jsonl")), "{}\n");
    EXPECT_EQ(readFile(path("config/zmpxi_api_config.xml")), "<zmpxi_api_config/>");
    EXPECT_EQ(namesIn(path("data/maintenance")), (std::vector<std::string>{"10A80001", "history.jsonl"}));
    EXPECT_TRUE(fs::is_empty(path("data/maintenance/10A80001")));
    EXPECT_EQ(OutputDestination::prepareFolder(path("out/alias")).status, Status::OwnData);
    EXPECT_EQ(OutputDestination::prepareFolder(path("data/backups")).status, Status::OwnData);
    EXPECT_FALSE(fs::exists(path("data/backups")));

    // Beside them, everything goes.
    EXPECT_TRUE(OutputDestination::write(path("config/demo.xml"), "demo", {false, true}).ok());
    EXPECT_TRUE(OutputDestination::write(path("out/datafile.zip"), "package", {false, true}).ok());
}

TEST_F(OutputDestinationTest, ATemporaryFileOfADeadRunGoesWithTheNextWriteOneOfALiveProcessStays)
{
    const long dead = deadPid();
    const long self = ::getpid();
    const unsigned long long start = TemporaryFiles::processStart(self);
    ASSERT_NE(start, 0u);
    const std::string deadOne = temporaryName(dead, 1234, "0000abcd");
    const std::string libraryOne = deadOne + ".Xy12Zz"; // the archive library's, made of its name
    const std::string live = temporaryName(self, start, "0000beef");
    const std::string reused = temporaryName(self, start + 1, "0000cafe"); // this pid, an earlier process
    for (const std::string& name : {deadOne, libraryOne, live, reused})
        writeFile(path(name), "partial");
    // Names of other programs, and a link of the pattern, stay.
    writeFile(path("report.zip.tmp-abcdef"), "theirs");
    writeFile(path(".z2e-tmp-notours"), "theirs");
    writeFile(path("elsewhere"), "kept");
    fs::create_symlink(path("elsewhere"), path(temporaryName(dead, 1, "0000dead")));
    EXPECT_FALSE(TemporaryFiles::ownedByLiveProcess(deadOne));
    EXPECT_TRUE(TemporaryFiles::ownedByLiveProcess(live));
    EXPECT_FALSE(TemporaryFiles::ownedByLiveProcess(reused));

    ASSERT_TRUE(OutputDestination::write(path("new.csv"), "new", {false, true}).ok());
    std::vector<std::string> expected{
        live, temporaryName(dead, 1, "0000dead"), ".z2e-tmp-notours", "elsewhere", "new.csv", "report.zip.tmp-abcdef"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(m_scratch.path()), expected);
    EXPECT_EQ(readFile(path("elsewhere")), "kept");
}

TEST_F(OutputDestinationTest, LiveTemporaryFilesGoWhenTheProgramIsStopped)
{
    {
        TemporaryFile temp(m_scratch.path());
        ASSERT_TRUE(temp.write("half", false)) << temp.error();
        ASSERT_TRUE(fs::exists(temp.path()));
        EXPECT_EQ(fs::path(temp.path()).filename().string().rfind(TemporaryFiles::kPrefix, 0), 0u);
        // The archive library's own temporary files of a listed name go with it.
        const std::string archive = path(TemporaryFiles::freshName());
        const int slot = TemporaryFiles::remember(archive, true);
        writeFile(archive + ".a1B2c3", "library");
        writeFile(path("unrelated.zip"), "kept");
        TemporaryFiles::removeLive();
        TemporaryFiles::forget(slot);
        EXPECT_EQ(namesIn(m_scratch.path()), std::vector<std::string>{"unrelated.zip"});
    }
    // Placed files are no longer listed.
    TemporaryFile placed(m_scratch.path());
    ASSERT_TRUE(placed.write("whole", true));
    ASSERT_EQ(placed.placeNew("whole.txt"), TemporaryFile::Placed::Ok);
    TemporaryFiles::removeLive();
    EXPECT_EQ(readFile(path("whole.txt")), "whole");
}

TEST_F(OutputDestinationTest, ATemporaryFileTakesOnlyAFreeNameOrReplacesOnlyAWritableFile)
{
    writeFile(path("taken.txt"), "first");
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    fs::create_symlink(path("taken.txt"), path("link.txt"));
    TemporaryFile second(m_scratch.path());
    ASSERT_TRUE(second.write("second", true));
    EXPECT_EQ(second.placeNew("taken.txt"), TemporaryFile::Placed::Exists);
    EXPECT_EQ(second.placeNew("link.txt"), TemporaryFile::Placed::Exists);
    EXPECT_EQ(second.placeOver("fifo"), TemporaryFile::Placed::Exists);
    EXPECT_EQ(second.placeOver("link.txt"), TemporaryFile::Placed::Exists);
    ::chmod(path("taken.txt").c_str(), 0444);
    EXPECT_EQ(second.placeOver("taken.txt"), TemporaryFile::Placed::Exists);
    EXPECT_EQ(readFile(path("taken.txt")), "first");
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(path("fifo"))));
    EXPECT_TRUE(fs::is_symlink(path("link.txt")));
    ::chmod(path("taken.txt").c_str(), 0600);
    ASSERT_EQ(second.placeOver("taken.txt"), TemporaryFile::Placed::Ok) << second.error();
    EXPECT_EQ(readFile(path("taken.txt")), "second");
    EXPECT_EQ(namesIn(m_scratch.path()), (std::vector<std::string>{"fifo", "link.txt", "taken.txt"}));
}

TEST_F(OutputDestinationTest, AFileSizeLimitLeavesNoTemporaryFileAndTheOldFile)
{
    const std::string file = path("big.csv");
    writeFile(file, "old");
    OutputDestination::Result result;
    ASSERT_TRUE(test::underFileSizeLimit(4096, [&] {
        result = OutputDestination::write(file, std::string(100000, 'x'), {true, true});
    }));
    expectOutcome(result, Status::Failed, "File too large");
    EXPECT_EQ(readFile(file), "old");
    EXPECT_EQ(namesIn(m_scratch.path()), std::vector<std::string>{"big.csv"});
}

TEST(AtomicFileWriterTest, TheDriverConfigurationIsWrittenThroughItsLinkAndLeavesNoTemporary)
{
    test::ScratchFolder scratch("z2e-atomic");
    writeFile(scratch / "real.xml", "old");
    fs::create_symlink(scratch / "real.xml", scratch / "config.xml");
    std::string error;
    ASSERT_TRUE(AtomicFileWriter::write(scratch / "config.xml", "new", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(scratch / "config.xml"));
    EXPECT_EQ(readFile(scratch / "real.xml"), "new");
    writeFile(scratch / "real.xml.tmp-a1b2c3", "left by a killed save");
    EXPECT_EQ(AtomicFileWriter::removeStaleTemporaries(scratch / "config.xml"), 1);
    EXPECT_EQ(namesIn(scratch.path()), (std::vector<std::string>{"config.xml", "real.xml"}));
}

} // namespace
} // namespace z2e
