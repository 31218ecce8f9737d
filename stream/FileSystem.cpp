#include "stream/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel's own ELOOP limit
constexpr int kTempAttempts = 100;
constexpr std::size_t kSuffixLength = 6;
constexpr char kSuffixChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kSuffixCharCount = sizeof kSuffixChars - 1;

std::string TempPrefix(const std::string& name) {
    return "." + name + ".tmp-";
}

// The pid in ".<name>.tmp-<pid>-XXXXXX", or 0 when `entry` is not such a name.
pid_t TemporaryPid(std::string_view entry, const std::string& prefix) {
    if (entry.size() <= prefix.size() + 1 + kSuffixLength ||
        entry.substr(0, prefix.size()) != prefix) {
        return 0;
    }
    const std::string_view digits =
        entry.substr(prefix.size(), entry.size() - prefix.size() - 1 - kSuffixLength);
    if (entry[entry.size() - 1 - kSuffixLength] != '-' || digits.empty() || digits.size() > 9) {
        return 0;
    }
    pid_t pid = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

bool ProcessGone(pid_t pid) {
    // EPERM means it runs under another user: still alive.
    return kill(pid, 0) != 0 && errno == ESRCH;
}

std::string RandomSuffix() {
    unsigned char bytes[kSuffixLength] = {};
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // O_EXCL still keeps names apart; the attempts only get slower.
        static unsigned counter = 0;
        for (unsigned char& b : bytes) {
            b = static_cast<unsigned char>(++counter * 131u);
        }
    }
    std::string suffix;
    for (unsigned char b : bytes) {
        suffix += kSuffixChars[b % kSuffixCharCount];
    }
    return suffix;
}

}  // namespace

void IgnoreFileSizeSignal() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGXFSZ, &action, nullptr);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

orvane::Result FollowLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0;; ++hop) {
        struct stat st {};
        if (lstat(target.c_str(), &st) != 0) {
            // A link to a file not made yet: the save creates it.
            return errno == ENOENT ? orvane::Result{} : orvane::Result::Failed(target, errno);
        }
        if (!S_ISLNK(st.st_mode)) {
            return {};
        }
        if (hop == kMaxLinkHops) {
            return orvane::Result::Failed(path, ELOOP);
        }
        std::vector<char> text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) +
                               1);
        const ssize_t n = readlink(target.c_str(), text.data(), text.size());
        if (n < 0 || static_cast<std::size_t>(n) >= text.size()) {
            return orvane::Result::Failed(target, n < 0 ? errno : ENAMETOOLONG);
        }
        const std::string link(text.data(), static_cast<std::size_t>(n));
        target = !link.empty() && link.front() == '/' ? link : JoinPath(FolderOf(target), link);
    }
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const std::string prefix = TempPrefix(name);
    while (const dirent* entry = readdir(dir)) {
        const pid_t pid = TemporaryPid(entry->d_name, prefix);
        // pid 0 would address our own process group; ours may be saving now.
        if (pid <= 0 || pid == getpid() || !ProcessGone(pid)) {
            continue;
        }
        struct stat st {};
        if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode)) {
            unlinkat(dirfd(dir), entry->d_name, 0);
        }
    }
    closedir(dir);
}

orvane::Result CreateTemporary(const std::string& target, std::string& tempPath, int& fd) {
    const std::string base =
        JoinPath(FolderOf(target), TempPrefix(NameOf(target)) + std::to_string(getpid()) + "-");
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        tempPath = base + RandomSuffix();
        // 0666: the kernel takes the umask off, as for any new file.
        fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return {};
        }
        if (errno != EEXIST) {
            break;
        }
    }
    const int error = errno;
    tempPath.clear();
    return orvane::Result::Failed(target, error);
}

orvane::Result SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return orvane::Result::Failed(folder, errno);
    }
    // Some file systems cannot sync a folder at all (EINVAL): nothing to wait for.
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    close(fd);
    return synced ? orvane::Result{} : orvane::Result::Failed(folder, error);
}
