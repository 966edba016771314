// Saving files whole or not at all: the bytes go to a temporary file beside the target, which is renamed over
// the target once complete. Special files (devices, pipes) are written in place; nothing is ever renamed over
// them.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "model/text_file.h"

namespace zorvan {

namespace {

namespace fs = std::filesystem;

// "cannot write /parts/x.nc: No space left on device", for the system's error number `error`.
std::string Reason(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

// The mode a new file gets: that of the file it replaces, else what the umask allows.
mode_t ModeForReplacement(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

// The file a save at `path` writes: `path` itself, or where its chain of symbolic links ends, so that a link
// stays a link and the file it names gets the new content. A link that names a missing file leads to that
// name, which the save creates. Nothing when the chain does not end (a loop).
std::optional<std::string> SaveTarget(const std::string& path) {
    constexpr int kMostLinks = 40;  // as many as the system follows when it opens a path
    fs::path target = path;
    std::error_code error;
    for (int links = 0; fs::is_symlink(target, error); ++links) {
        if (links == kMostLinks) return std::nullopt;
        const fs::path next = fs::read_symlink(target, error);
        if (error) return std::nullopt;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target.string();
}

// The temporary file of the save under way, for the signal handler to remove: the descriptor of its folder
// (-1 when there is none) and its name there. Both change only while the signals are held, so the handler
// sees a whole name or none. A second save running at the same time in another thread is not remembered.
std::atomic<int> pendingFolder{-1};
char pendingName[32];
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads it");

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Holds back the signals that remove the pending file while a temporary file is created, renamed or
// removed, so that the file and the name the handler knows change together.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kCleanupSignals) sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_{};
};

// Only calls that are safe in a signal handler: remove the pending file, then end as the signal would have.
void RemovePendingAndEnd(int signal) {
    const int folder = pendingFolder.load();
    if (folder >= 0) ::unlinkat(folder, pendingName, 0);
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // delivered as soon as the handler returns
}

// A temporary file beside the target, with a short name of its own so that it fits wherever the target's
// name fits: ".zt-<process>-<count>". Created exclusively (a file or link already at the name is never
// written through; the next count is tried), and removed when it goes out of scope unless it was renamed.
class TemporaryFile {
public:
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (created_ && !renamed_) Forget(true);
        if (folder_ >= 0) ::close(folder_);
    }

    // Opens the folder and creates the file in it with `mode`; the reason when that fails.
    std::optional<std::string> Create(const std::string& folder, mode_t mode) {
        folder_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder_ < 0) return Reason("cannot open the folder", folder, errno);
        static std::atomic<unsigned> count{0};
        constexpr int kMostTries = 100;
        for (int tries = 0; tries < kMostTries; ++tries) {
            name_ = ".zt-" + std::to_string(::getpid()) + "-" + std::to_string(count++);
            const SignalsHeld held;
            fd_ = ::openat(folder_, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            const int error = errno;
            if (fd_ >= 0) {
                created_ = true;
                Remember();
                if (::fchmod(fd_, mode) != 0) return Reason("cannot set the mode of", Path(folder), errno);
                return std::nullopt;
            }
            if (error != EEXIST) return Reason("cannot create", Path(folder), error);
        }
        return "cannot create a temporary file in " + folder + ": every name tried is taken";
    }

    // Writes every byte and flushes it to the disk, then closes the file; 0, or the error number of what failed.
    int WriteAndClose(const std::string& bytes) {
        int error = WriteAll(fd_, bytes) && ::fsync(fd_) == 0 ? 0 : errno;
        if (::close(fd_) != 0 && error == 0) error = errno;
        fd_ = -1;
        return error;
    }

    // 0, or the error number of the rename.
    int RenameTo(const std::string& target) {
        const SignalsHeld held;
        renamed_ = ::renameat(folder_, name_.c_str(), AT_FDCWD, target.c_str()) == 0;
        const int error = renamed_ ? 0 : errno;
        if (renamed_) Forget(false);
        return error;
    }

    std::string Path(const std::string& folder) const { return (fs::path(folder) / name_).string(); }

private:
    void Remember() {
        if (name_.size() >= sizeof pendingName || pendingFolder.load() != -1) return;
        std::memcpy(pendingName, name_.c_str(), name_.size() + 1);
        pendingFolder.store(folder_);
    }

    void Forget(bool remove) {
        const SignalsHeld held;
        if (remove) ::unlinkat(folder_, name_.c_str(), 0);
        int mine = folder_;
        pendingFolder.compare_exchange_strong(mine, -1);
    }

    int folder_ = -1;
    int fd_ = -1;
    std::string name_;
    bool created_ = false, renamed_ = false;
};

// A save into a regular file, new or old: a temporary file written whole, then renamed over it.
std::optional<std::string> ReplaceFile(const std::string& path, const std::string& bytes) {
    const fs::path parent = fs::path(path).parent_path();
    const std::string folder = parent.empty() ? "." : parent.string();
    TemporaryFile temporary;
    if (const auto failure = temporary.Create(folder, ModeForReplacement(path))) return failure;
    if (const int error = temporary.WriteAndClose(bytes)) return Reason("cannot write", temporary.Path(folder), error);
    if (const int error = temporary.RenameTo(path)) return Reason("cannot replace", path, error);
    return std::nullopt;
}

// A save to what is there and is not a regular file. A character device or a named pipe takes the bytes as
// they come (`-o /dev/null`); a pipe nobody reads from is refused rather than waited for.
std::optional<std::string> WriteInPlace(const std::string& path, mode_t type, const std::string& bytes) {
    if (type == S_IFDIR) return path + " is a folder";
    if (type != S_IFCHR && type != S_IFIFO) {
        const char* what = type == S_IFSOCK ? " is a socket" : type == S_IFBLK ? " is a block device" : " is not a file";
        return path + what + ": only files, character devices and named pipes are written";
    }
    const bool pipe = type == S_IFIFO;
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (pipe ? O_NONBLOCK : 0));
    if (fd < 0) {
        const int error = errno;
        return pipe && error == ENXIO ? "nothing reads from the named pipe " + path : Reason("cannot open", path, error);
    }
    if (pipe) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    int error = WriteAll(fd, bytes) ? 0 : errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) return Reason("cannot write", path, error);
    return std::nullopt;
}

fs::path Resolved(const std::string& path) {
    const std::string target = SaveTarget(path).value_or(path);
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(target, error);
    if (error) resolved = fs::absolute(target, error).lexically_normal();
    return resolved;
}

}  // namespace

std::optional<std::string> SaveTextFile(const std::string& requestedPath, const std::string& bytes) {
    struct stat status {};
    if (::stat(requestedPath.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        return WriteInPlace(requestedPath, status.st_mode & S_IFMT, bytes);
    }
    const std::optional<std::string> target = SaveTarget(requestedPath);
    if (!target) return "cannot follow the links of " + requestedPath + ": too many levels of symbolic links";
    return ReplaceFile(*target, bytes);
}

bool IsSameFile(const std::string& first, const std::string& second) {
    struct stat a {}, b {};
    if (::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }
    const fs::path one = Resolved(first), other = Resolved(second);
    return !one.empty() && one == other;
}

void RemoveTemporaryFileOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemovePendingAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int signal : kCleanupSignals) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;  // nohup stays
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace zorvan
