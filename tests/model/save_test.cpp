// Saving text files whole or not at all, and reading them back as lines.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// The temporary file has a short name of its own, so a target of the longest name a folder allows saves too;
// a file that already sits at a temporary name (a leftover, or a link planted in a shared folder) must not be
// written through: the save takes another name, and the file the link points to stays as it was.
TEST_F(SaveTest, TemporaryNamesAreShortAndNeverWrittenThrough) {
    const fs::path longest = folder / (std::string(247, 'n') + ".nc");
    EXPECT_EQ(SaveTextFile(longest.string(), "G90\r\n"), std::nullopt);
    EXPECT_EQ(testing::ReadBytes(longest), "G90\r\n");

    const fs::path target = folder / "out.nc", victim = folder / "victim.txt";
    std::ofstream(target, std::ios::binary) << "OLD\r\n";
    std::ofstream(victim, std::ios::binary) << "KEEP\r\n";
    for (int count = 0; count < 10; ++count) {
        fs::create_symlink(victim, folder / (".zt-" + std::to_string(::getpid()) + "-" + std::to_string(count)));
    }
    EXPECT_EQ(SaveTextFile(target.string(), "NEW\r\n"), std::nullopt);
    EXPECT_EQ(testing::ReadBytes(victim), "KEEP\r\n");
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(testing::ReadBytes(target), "NEW\r\n");
}

// What is not a regular file is never renamed over: a named pipe (and a link to one) is written in place, one
// nobody reads from is refused; it stays a pipe.
TEST_F(SaveTest, SpecialFilesAreWrittenInPlaceOrRefused) {
    const fs::path pipe = folder / "pipe.nc", link = folder / "link.nc";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink(pipe, link);
    const auto failure = SaveTextFile(pipe.string(), "G90\r\n");
    ASSERT_TRUE(failure.has_value());
    EXPECT_NE(failure->find("nothing reads"), std::string::npos) << *failure;

    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (const fs::path& target : {pipe, link}) EXPECT_EQ(SaveTextFile(target.string(), "G90\r\n"), std::nullopt);
    char got[32] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 10);
    EXPECT_STREQ(got, "G90\r\nG90\r\n");
    ::close(reader);

    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Listing(), (std::set<std::string>{"pipe.nc", "link.nc"}));
}

// A save cut short by SIGTERM leaves no temporary file: the process ends by the signal all the same, and the
// target holds the old content or the new, whole.
TEST_F(SaveTest, ASignalDuringASaveRemovesTheTemporaryFile) {
    const fs::path target = folder / "big.nc";
    const std::string bytes(16 << 20, 'G');
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RemoveTemporaryFileOnSignals();
        for (;;) SaveTextFile(target.string(), bytes);
    }
    // Stop the child while a temporary file exists, so the signal is sure to arrive while it is pending.
    for (bool sent = false; !sent;) {
        if (Listing().size() < 2) continue;
        ::kill(child, SIGSTOP);
        int status = 0;
        ::waitpid(child, &status, WUNTRACED);
        if (Listing().size() == 2) {
            ::kill(child, SIGTERM);
            sent = true;
        }
        ::kill(child, SIGCONT);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(Listing(), std::set<std::string>{"big.nc"});
    const std::string saved = testing::ReadBytes(target);
    EXPECT_TRUE(saved == bytes) << saved.size();
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

    // A stream (standard input) has the same bound, judged as it is read; its bytes are kept as they come.
    const std::string bytes("12\0\xff\r\n", 6);
    for (const std::uintmax_t most : {6, 5}) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), 6);
        ::close(ends[1]);
        std::optional<ReadProblem> problem;
        const std::optional<std::string> read = ReadWholeStream(ends[0], problem, most);
        ::close(ends[0]);
        if (most == 6) {
            EXPECT_EQ(read, bytes);
            EXPECT_FALSE(problem);
        } else {
            EXPECT_EQ(read, std::nullopt);
            EXPECT_TRUE(problem && problem->refusal == ReadRefusal::TooLarge);
        }
    }
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

TEST(TextBytesTest, ControlBytesOtherThanLineEndsTabsAndFormFeedsAreNotText) {
    const std::pair<std::string, std::optional<size_t>> cases[] = {
        {"G90\r\n\tM3\f\n", std::nullopt}, {"caf\xc3\xa9 \xe9", std::nullopt}, {"M30\r\n\x1a", std::nullopt},
        {"M\x1a" "30", 1},                   {std::string("G9\0", 3), 2},           {"a\x7f", 1},
        {"\x1b[0m", 0}};
    for (const auto& [bytes, at] : cases) EXPECT_EQ(FirstNonTextByte(bytes), at) << bytes;
}

}  // namespace
}  // namespace zorvan
