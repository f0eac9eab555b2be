#include "cli/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <new>
#include <random>
#include <system_error>

#include "cli/system_names.h"

#ifdef _WIN32
#include <io.h>
#else
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <cstdio>  // renameat2
#include <sys/xattr.h>
#endif

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

// A first touch of each 4 KB page costs more than the conversion of its bytes where the system is
// virtual (tens of microseconds under shadow paging): 2 MB pages take a few hundred faults out of every
// run. Where the system has none to give, the advice is ignored and the buffer works in small pages.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::align_val_t kBlockAlignment{kHugePage};

std::size_t RoundedToHugePages(std::size_t size) { return (size + kHugePage - 1) / kHugePage * kHugePage; }

// The temporary files being written beside their OUT, one a thread that works on files; removed when
// the program is stopped by a signal. Lock-free, so that the signal handler may read them.
constexpr int kPendingSlots = 16;
std::atomic<char*> g_pendingTemporaries[kPendingSlots];

void RememberTemporary(char* path) {
    for (std::atomic<char*>& slot : g_pendingTemporaries) {
        char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, path)) return;
    }
}

void ForgetTemporary(char* path) {
    for (std::atomic<char*>& slot : g_pendingTemporaries) {
        char* mine = path;
        if (slot.compare_exchange_strong(mine, nullptr)) return;
    }
}

// Holds off the signals that remove the temporaries while one is made and remembered: a signal between
// the two would find a file on disk that it does not know of and leave it there. Where signals come on
// a thread of their own (Windows), there is nothing to hold off them with.
class SignalsHeld {
public:
#ifdef _WIN32
    SignalsHeld() {}  // user-provided, so that a held value never reads as unused
#else
    SignalsHeld() {
        sigset_t stopping;
        sigemptyset(&stopping);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopping, signal);
        pthread_sigmask(SIG_BLOCK, &stopping, &before_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

private:
    sigset_t before_;
#endif
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;
};

// A name for a temporary file beside `target`, another at each call.
std::string TemporaryName(const std::string& target) {
    static std::atomic<std::uint64_t> next{[] {
        std::random_device random;
        return std::uint64_t{random()} << 32 | random();
    }()};
    const std::uint64_t mixed = next.fetch_add(1) * 0x9E3779B97F4A7C15u;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".vemkoconv-%08x.tmp", static_cast<unsigned>(mixed >> 32));
    return target + suffix;
}

#ifdef __linux__
// A file put in its old one's place by a rename frees the old inode, and the next temporary file takes
// a new one; on a file system without a journal the system then passes over every inode freed in the
// last seconds one by one, and a run over thousands of small files spends most of its time there.
// Exchanged with it instead, the old file stays as the temporary's name, and the thread's next
// temporary file is made of that inode again: a run takes one inode a thread.
struct SpareInode {
    std::string path;
    SpareInode() = default;
    SpareInode(const SpareInode&) = delete;
    SpareInode& operator=(const SpareInode&) = delete;
    ~SpareInode() { Drop(); }
    void Drop() {
        if (path.empty()) return;
        ForgetTemporary(path.data());
        ::unlink(path.c_str());
        path.clear();
    }
};
thread_local SpareInode t_spare;

// `old`, the replaced file under a temporary name, is kept when a new file would be the same: no other
// name of it, no extended attributes (an ACL, a label), the user's own.
void KeepSpare(const std::string& old) {
    const int fd = ::open(old.c_str(), O_RDONLY | O_NOFOLLOW);
    struct stat st;
    const bool same = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
                      ::flistxattr(fd, nullptr, 0) == 0 &&
                      ((st.st_uid == ::geteuid() && st.st_gid == ::getegid()) || ::fchown(fd, ::geteuid(), ::getegid()) == 0);
    if (fd >= 0) ::close(fd);
    if (!same) {
        ::unlink(old.c_str());
        return;
    }
    t_spare.Drop();
    t_spare.path = old;
    RememberTemporary(t_spare.path.data());
}

// The spare inode under the name `path`, empty and open for writing; -1 when there is none, or the
// name is taken.
int TakeSpare(const std::string& path) {
    if (t_spare.path.empty()) return -1;
    if (::renameat2(AT_FDCWD, t_spare.path.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EEXIST) t_spare.Drop();  // another file system, say
        return -1;
    }
    ForgetTemporary(t_spare.path.data());
    t_spare.path.clear();
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW);
    if (fd < 0) ::unlink(path.c_str());
    return fd;
}

bool ExchangedIntoPlace(const std::string& temporary, const std::string& target) {
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) return false;
    KeepSpare(temporary);
    return true;
}
#else
int TakeSpare(const std::string&) { return -1; }
bool ExchangedIntoPlace(const std::string&, const std::string&) { return false; }
#endif

void RemoveTemporaryAndExit(int signal) {
    for (std::atomic<char*>& slot : g_pendingTemporaries)
        if (char* path = slot.load()) ::remove(path);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void RemoveTemporaryOnSignals() {
    std::signal(SIGINT, RemoveTemporaryAndExit);
    std::signal(SIGTERM, RemoveTemporaryAndExit);
#ifdef SIGHUP
    std::signal(SIGHUP, RemoveTemporaryAndExit);
#endif
}

Block::Block(std::size_t size)
    : data_(static_cast<char*>(::operator new(RoundedToHugePages(size), kBlockAlignment))), size_(size) {
#ifdef MADV_HUGEPAGE
    ::madvise(data_, RoundedToHugePages(size), MADV_HUGEPAGE);
#endif
}

Block::~Block() { ::operator delete(data_, kBlockAlignment); }

Input::Input(const std::optional<std::string>& path) {
    if (!path || *path == "-") {
        name_ = "standard input";
        file_ = stdin;
        return;
    }
    name_ = *path;
    file_ = std::fopen(path->c_str(), "rb");
    if (!file_) throw IoError{name_, errno};
    owned_ = true;
}

Input::~Input() {
    if (owned_) std::fclose(file_);
}

void Input::Close() {
    if (owned_) std::fclose(file_);
    owned_ = false;
}

std::size_t Input::Read(char* buffer, std::size_t size) {
    std::size_t got = std::min(size, unread_.size());
    std::memcpy(buffer, unread_.data(), got);
    unread_.erase(0, got);
    while (got < size) {
        std::size_t n = std::fread(buffer + got, 1, size - got, file_);
        got += n;
        if (n == 0) {
            if (std::ferror(file_)) throw IoError{name_, errno ? errno : EIO};
            break;
        }
    }
    return got;
}

std::string Input::Peek(std::size_t size) {
    // Grown as it fills, so that a look far into a small input costs what the input holds.
    std::string start;
    std::size_t got = 0;
    for (std::size_t room = std::min<std::size_t>(size, 16 * 1024);; room = std::min(size, room * 4)) {
        start.resize(room);
        got += Read(start.data() + got, room - got);
        if (got < room || room == size) break;
    }
    start.resize(got);
    unread_ = start + unread_;
    return start;
}

std::string Input::ReadAll(std::size_t expected) {
    // Straight into the text: one byte more than expected tells the end without a second read, and a
    // small file costs no block.
    std::string all(std::max<std::size_t>(expected + 1, 4096), '\0');
    std::size_t got = 0;
    while (std::size_t n = Read(all.data() + got, all.size() - got)) {
        got += n;
        if (got == all.size()) all.resize(all.size() * 2);
    }
    all.resize(got);
    return all;
}

std::filesystem::path FinalTarget(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path target = PathOf(path);
    for (int hops = 0;; ++hops) {
        std::error_code ec;
        fs::file_status status = fs::symlink_status(target, ec);
        if (ec || !fs::is_symlink(status)) return target;
        if (hops == 40) throw IoError{path, ELOOP};
        fs::path link = fs::read_symlink(target, ec);
        if (ec) throw IoError{path, ec.value()};
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
}

Output::Output(const std::optional<std::string>& path, Special special) {
    if (!path || *path == "-") {
        name_ = "standard output";
        file_ = stdout;
        Unbuffer();
        return;
    }
    name_ = *path;
    namespace fs = std::filesystem;
    target_ = NarrowName(FinalTarget(name_));
    if (target_.empty()) throw IoError{name_, ENOENT};
    std::error_code ec;
    fs::file_status status = fs::status(PathOf(target_), ec);
    if (fs::is_directory(status)) throw IoError{name_, EISDIR};
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // Replacing a device or a FIFO with a regular file would break whatever reads it.
        if (special == Special::Refuse) throw IoError{name_, ENOTSUP};
        int fd = ::open(target_.c_str(), O_WRONLY | O_BINARY);
        if (fd < 0) throw IoError{name_, errno};
        Adopt(fd);
        Unbuffer();
        return;
    }
    OpenTemporary(fs::exists(status));
    Unbuffer();
}

Output::~Output() {
    if (file_ && file_ != stdout) std::fclose(file_);
    if (!temporary_.empty() && !committed_) {  // leave OUT as it was
        // Removed before it is forgotten, so that a signal meanwhile still removes it.
        ::remove(temporary_.c_str());
        ForgetTemporary(temporary_.data());
    }
}

void Output::OpenTemporary(bool replacing) {
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_ = TemporaryName(target_);
        int fd, error;
        {
            const SignalsHeld held;
            // A spare inode has another file's mode, which only a replaced OUT's own puts right.
            fd = replacing ? TakeSpare(temporary_) : -1;
            if (fd < 0) fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0666);
            error = errno;
            if (fd >= 0) RememberTemporary(temporary_.data());
        }
        if (fd < 0) {
            if (error == EEXIST) continue;
            throw IoError{name_, error};
        }
        Adopt(fd);
    }
    if (!file_) throw IoError{name_, EEXIST};
}

void Output::WriteAsIs(const char* bytes, std::size_t size) {
    if (discard_) return;
    if (size && std::fwrite(bytes, 1, size, file_) != size) throw IoError{name_, errno ? errno : EIO};
}

void Output::Write(const char* bytes, std::size_t size) {
    if (!lineEnd_) return WriteAsIs(bytes, size);
    heldForLineEnd_.append(bytes, size);
    std::string converted;
    heldForLineEnd_.erase(0, AppendWithLineEnds(heldForLineEnd_, *lineEnd_, false, converted, lineBreakUnits_));
    WriteAsIs(converted.data(), converted.size());
}

void Output::ConvertLineEnds(LineEndKind kind, LineBreakUnits units) {
    lineEnd_ = kind;
    lineBreakUnits_ = units;
}

void Output::Commit() {
    if (discard_) return;
    if (lineEnd_ && !heldForLineEnd_.empty()) {
        std::string converted;
        AppendWithLineEnds(heldForLineEnd_, *lineEnd_, true, converted, lineBreakUnits_);
        heldForLineEnd_.clear();
        WriteAsIs(converted.data(), converted.size());
    }
    FILE* file = file_;
    file_ = nullptr;
    if (file == stdout) {
        if (std::fflush(file) != 0) throw IoError{name_, errno ? errno : EIO};
        return;
    }
    int closed = std::fclose(file);
    int error = errno;
    if (temporary_.empty()) {
        if (closed != 0) throw IoError{name_, error ? error : EIO};
        return;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    if (closed == 0) {
        // An existing OUT keeps its permissions.
        const fs::path target = PathOf(target_), temporary = PathOf(temporary_);
        fs::file_status old = fs::status(target, ec);
        if (!ec && fs::exists(old)) fs::permissions(temporary, old.permissions(), ec);
        ec.clear();
        if (keepTime_) {
            const fs::file_time_type time = fs::last_write_time(target, ec);
            if (!ec) fs::last_write_time(temporary, time, ec);
            ec.clear();
        }
        if (!ExchangedIntoPlace(temporary_, target_)) fs::rename(temporary, target, ec);
        error = ec.value();
    }
    if (closed != 0 || ec) ::remove(temporary_.c_str());
    ForgetTemporary(temporary_.data());
    committed_ = true;
    if (closed != 0 || ec) throw IoError{name_, error ? error : EIO};
}

void Output::Adopt(int fd) {
    file_ = ::fdopen(fd, "wb");
    if (file_) return;
    int error = errno;
    ::close(fd);
    if (!temporary_.empty()) {
        ::remove(temporary_.c_str());
        ForgetTemporary(temporary_.data());
    }
    throw IoError{name_, error};
}
