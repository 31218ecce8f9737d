#include "platform/PortBindings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/DeviceNode.h"
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
    return ReadProcess(pid).running;
}

namespace {

struct OwnerRecord {
    long pid = 0;
    bool proven = false;  // start time and name recorded
    unsigned long long startTime = 0;
    std::string name;
    std::string target;
    std::string replaced;
};

// False when the file is missing or says nothing usable. An older dome's
// "<pid> <target>" line is read too, as a record that proves nothing.
bool ReadOwnerRecord(const std::string& path, OwnerRecord& record) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const size_t blank = line.find(' ');
        const std::string key = line.substr(0, blank);
        const std::string value =
            blank == std::string::npos ? std::string() : line.substr(blank + 1);
        char* end = nullptr;
        if (key == "pid") {
            record.pid = std::strtol(value.c_str(), &end, 10);
        } else if (key == "start") {
            record.startTime = std::strtoull(value.c_str(), &end, 10);
            record.proven = end != value.c_str() && *end == '\0';
        } else if (key == "name") {
            record.name = value;
        } else if (key == "target") {
            record.target = value;
        } else if (key == "replaced") {
            record.replaced = value;
        } else if (const long pid = std::strtol(key.c_str(), &end, 10);
                   record.pid == 0 && pid > 0 && *end == '\0') {
            record.pid = pid;
            record.target = value;
        }
    }
    record.proven = record.proven && !record.name.empty();
    return record.pid > 0 && !record.target.empty();
}

}  // namespace

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

    binding.targetSerial = binding.targetExists && IsSerialDeviceNode(binding.link);

    // The record counts only while the link still leads where the dome made
    // it lead: a user who re-pointed it by hand made it theirs.
    OwnerRecord record;
    if (!ReadOwnerRecord(PortOwnerPath(portNumber), record) || record.target != binding.target) {
        return binding;
    }
    binding.domePid = record.pid;
    binding.replacedTarget = record.replaced;
    // A live pid alone proves nothing: after a crash or a reboot it may be
    // anyone's, so the dome's name and start time must match too.
    const ProcessIdentity now = ReadProcess(record.pid);
    binding.runningName = now.name;
    if (!now.running) {
        binding.staleReason = StaleReason::Gone;
    } else if (!record.proven) {
        binding.staleReason = StaleReason::Unproven;
    } else if (now.name != kDomeProcessName || record.name != kDomeProcessName) {
        binding.staleReason = StaleReason::NotADome;
    } else if (now.startTime != record.startTime) {
        binding.staleReason = StaleReason::PidReused;
    }
    binding.domeRunning = binding.staleReason == StaleReason::None;
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

bool RestoreReplacedLink(unsigned portNumber) {
    const PortBinding binding = ReadPortBinding(portNumber);
    if (!binding.StaleDomeLink() || binding.replacedTarget.empty() ||
        !ReplaceWithSymlink(binding.link, binding.replacedTarget)) {
        return false;
    }
    ::unlink(PortOwnerPath(portNumber).c_str());
    return true;
}

orvane::Result RecordDomeOwner(unsigned portNumber, long pid, const std::string& target,
                               const std::string& replaced) {
    const std::string path = PortOwnerPath(portNumber);
    const std::string temp = path + ".new-" + std::to_string(::getpid());
    const ProcessIdentity self = ReadProcess(pid);
    {
        std::ofstream out(temp, std::ios::trunc);
        out << "pid " << pid << "\nstart " << self.startTime << "\nname " << self.name
            << "\ntarget " << target << '\n';
        if (!replaced.empty()) {
            out << "replaced " << replaced << '\n';
        }
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
