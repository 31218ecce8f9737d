#include "platform/PortBindings.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/PortMap.h"

namespace {

std::string ReadLink(const std::string& path) {
    char buf[4096];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof(buf) - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

// The failed call's errno with the step it failed in, such as "cannot create X".
orvane::Result SysError(std::string what) {
    return orvane::Result::Failed(std::move(what), errno);
}

}  // namespace

orvane::Result EnsureMapDir() {
    const std::string dir = PortMapDir();
    if (dir.empty()) {
        return orvane::Result::Failed(
            {}, 0,
            "neither HOME nor XDG_CONFIG_HOME is set, so there is no place for the port map; set "
            "one of them");
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        return orvane::Result::Failed("cannot create " + dir, ec.value(), ec.message());
    }
    return {};
}

orvane::Result ReplaceWithSymlink(const std::string& path, const std::string& target) {
    const std::string temp = path + ".new-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
        return SysError("cannot create " + temp);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        orvane::Result failed = SysError("cannot replace " + path);
        ::unlink(temp.c_str());
        return failed;
    }
    return {};
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

orvane::Result BindPort(unsigned portNumber, const std::string& device) {
    if (device.empty()) {
        return orvane::Result::Failed({}, 0, "no device given");
    }
    if (orvane::Result made = EnsureMapDir(); !made) {
        return made;
    }
    if (orvane::Result linked = ReplaceWithSymlink(PortMapPath(portNumber), device); !linked) {
        return linked;
    }
    ::unlink(PortOwnerPath(portNumber).c_str());
    return {};
}

orvane::Result UnbindPort(unsigned portNumber) {
    const std::string link = PortMapPath(portNumber);
    if (link.empty()) {
        return {};
    }
    if (::unlink(link.c_str()) != 0 && errno != ENOENT) {
        return SysError("cannot remove " + link);
    }
    ::unlink(PortOwnerPath(portNumber).c_str());
    return {};
}

orvane::Result RecordDomeOwner(unsigned portNumber, long pid, const std::string& target) {
    const std::string path = PortOwnerPath(portNumber);
    const std::string temp = path + ".new-" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::trunc);
        out << pid << ' ' << target << '\n';
        if (!out.flush()) {
            ::unlink(temp.c_str());
            return orvane::Result::Failed({}, 0, "cannot write " + temp);
        }
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        orvane::Result failed = SysError("cannot write " + path);
        ::unlink(temp.c_str());
        return failed;
    }
    return {};
}
