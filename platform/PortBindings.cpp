#include "platform/PortBindings.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/PortMap.h"

namespace {

std::string ReadLink(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof(buf) - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

std::string SysError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

bool EnsureMapDir(std::string& error) {
    const std::string dir = PortMapDir();
    if (dir.empty()) {
        error =
            "neither HOME nor XDG_CONFIG_HOME is set, so there is no place for the port map; set "
            "one of them";
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    return true;
}

bool ReplaceWithSymlink(const std::string& path, const std::string& target, std::string& error) {
    const std::string temp = path + ".new-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
        error = SysError("cannot create " + temp);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = SysError("cannot replace " + path);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

std::string PortOwnerPath(unsigned portNumber) {
    const std::string link = PortMapPath(portNumber);
    return link.empty() ? link : link + ".owner";
}

bool ProcessRunning(long pid) {
    // EPERM: it runs, under another user.
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

PortBinding ReadPortBinding(unsigned portNumber) {
    PortBinding binding;
    binding.link = PortMapPath(portNumber);
    struct stat st {};
    if (binding.link.empty() || ::lstat(binding.link.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return binding;
    }
    binding.linked = true;
    binding.target = ReadLink(binding.link);
    binding.targetExists = ::stat(binding.link.c_str(), &st) == 0;

    // The record counts only while the link still leads where the dome made
    // it lead: a user who re-pointed it by hand made it theirs.
    std::ifstream in(PortOwnerPath(portNumber));
    long pid = 0;
    std::string target;
    if (in >> pid && in.get() == ' ' && std::getline(in, target) && pid > 0 &&
        target == binding.target) {
        binding.domePid = pid;
        binding.domeRunning = ProcessRunning(pid);
    }
    return binding;
}

bool BindPort(unsigned portNumber, const std::string& device, std::string& error) {
    if (device.empty()) {
        error = "no device given";
        return false;
    }
    if (!EnsureMapDir(error) || !ReplaceWithSymlink(PortMapPath(portNumber), device, error)) {
        return false;
    }
    ::unlink(PortOwnerPath(portNumber).c_str());
    return true;
}

bool UnbindPort(unsigned portNumber, std::string& error) {
    const std::string link = PortMapPath(portNumber);
    if (link.empty()) {
        return true;
    }
    if (::unlink(link.c_str()) != 0 && errno != ENOENT) {
        error = SysError("cannot remove " + link);
        return false;
    }
    ::unlink(PortOwnerPath(portNumber).c_str());
    return true;
}

bool RecordDomeOwner(unsigned portNumber, long pid, const std::string& target, std::string& error) {
    const std::string path = PortOwnerPath(portNumber);
    const std::string temp = path + ".new-" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::trunc);
        out << pid << ' ' << target << '\n';
        if (!out.flush()) {
            error = "cannot write " + temp;
            ::unlink(temp.c_str());
            return false;
        }
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = SysError("cannot write " + path);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}
