// Saving text files whole or not at all, and reading them back as lines.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "model/text_file.h"
#include "support/temp_folder.h"

namespace zorvan {
namespace {

namespace fs = std::filesystem;

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = testing::FreshTestFolder("save");
    }
    void TearDown() override { fs::remove_all(folder); }

    // The names in the folder, so that a left-over temporary file shows.
    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
        return names;
    }

    fs::path folder;
};

TEST_F(SaveTest, WritesTheBytesExactlyAndReplacesAnOldFile) {
    const fs::path target = folder / "out.nc";
    const std::string cases[] = {std::string("G90\r\nX\0Y\n\xff\r", 12), "a much longer first content\r\n", "short",
                                 ""};
    for (const std::string& bytes : cases) {
        EXPECT_EQ(SaveTextFile(target.string(), bytes), std::nullopt);
        EXPECT_EQ(testing::ReadBytes(target), bytes);
        EXPECT_EQ(Listing(), std::set<std::string>{"out.nc"});
    }
}

TEST_F(SaveTest, FolderTargetOrMissingFolderFailsWithAReason) {
    fs::create_directory(folder / "dir.nc");
    for (const fs::path& target : {folder / "dir.nc", folder / "missing" / "x.nc"}) {
        SCOPED_TRACE(target);
        const auto failure = SaveTextFile(target.string(), "G90\r\n");
        ASSERT_TRUE(failure.has_value());
        EXPECT_FALSE(failure->empty());
        EXPECT_EQ(Listing(), std::set<std::string>{"dir.nc"});
    }
    EXPECT_TRUE(fs::is_directory(folder / "dir.nc"));
    EXPECT_TRUE(fs::is_empty(folder / "dir.nc"));
}

TEST_F(SaveTest, WriteThatFailsPartWayLeavesTheOldFileWhole) {
    const fs::path target = folder / "old.nc";
    std::ofstream(target, std::ios::binary) << "OLD PROGRAM\r\n";

    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous;
    limit.rlim_cur = 4;  // any write beyond four bytes fails, even for root
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto failure = SaveTextFile(target.string(), "G90\r\nG21\r\nM30\r\n");
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(testing::ReadBytes(target), "OLD PROGRAM\r\n");
    EXPECT_EQ(Listing(), std::set<std::string>{"old.nc"});
}

// A file that already sits at a temporary name (a leftover, or a link planted in a shared folder) must not be
// written through: the save may fail or choose another name, but the file the link points to stays as it was.
TEST_F(SaveTest, AFileAtTheTemporaryNameIsNotWrittenThrough) {
    const fs::path target = folder / "out.nc", victim = folder / "victim.txt";
    std::ofstream(target, std::ios::binary) << "OLD\r\n";
    std::ofstream(victim, std::ios::binary) << "KEEP\r\n";
    fs::create_symlink(victim, target.string() + ".tmp-" + std::to_string(::getpid()));

    const auto failure = SaveTextFile(target.string(), "NEW\r\n");
    EXPECT_EQ(testing::ReadBytes(victim), "KEEP\r\n");
    if (!failure) {
        EXPECT_FALSE(fs::is_symlink(target));
        EXPECT_EQ(testing::ReadBytes(target), "NEW\r\n");
    }
}

// Whatever is not a regular file is refused before it is opened (a pipe would block), and so is a file of
// more than the bytes allowed, before it is read.
TEST_F(SaveTest, ReadingRefusesWhatIsNotAFileOrTooLarge) {
    const fs::path pipe = folder / "pipe.dxf", sparse = folder / "sparse.dxf", small = folder / "small.dxf";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::ofstream(sparse).close();
    fs::resize_file(sparse, (std::uintmax_t{2} << 30) - 1);  // 2 GB of nothing, taking no room
    std::ofstream(small) << "12345";
    const std::pair<fs::path, ReadRefusal> cases[] = {{pipe, ReadRefusal::NotAFile},
                                                      {"/dev/null", ReadRefusal::NotAFile},
                                                      {folder / "missing.dxf", ReadRefusal::CannotOpen},
                                                      {sparse, ReadRefusal::TooLarge}};
    for (const auto& [path, refusal] : cases) {
        const std::optional<ReadProblem> problem = WhyFileCannotBeRead(path.string());
        EXPECT_TRUE(problem && problem->refusal == refusal) << path;
        EXPECT_EQ(ReadWholeFile(path.string()), std::nullopt) << path;
    }
    EXPECT_EQ(WhyFileCannotBeRead(small.string()), std::nullopt);
    EXPECT_EQ(ReadWholeFile(small.string(), 5), "12345");
    EXPECT_EQ(ReadWholeFile(small.string(), 4), std::nullopt);
}

TEST_F(SaveTest, LinesEndAtCrLfCrOrLf) {
    using Lines = std::vector<std::string>;
    const std::pair<std::string, Lines> cases[] = {
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\r\n", {"a"}},
        {"a\n\n", {"a", ""}},
        {"\r\n", {""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"", {}},
    };
    const fs::path file = folder / "lines.txt";
    for (const auto& [bytes, lines] : cases) {
        SCOPED_TRACE(bytes);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        EXPECT_EQ(ReadTextLines(file.string()), lines);
    }
    EXPECT_EQ(ReadTextLines((folder / "missing.txt").string()), std::nullopt);
    EXPECT_EQ(ReadTextLines(folder.string()), std::nullopt);

    EXPECT_EQ(JoinCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinCrLf({}), "");
}

}  // namespace
}  // namespace zorvan
