#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>
#include <string>

#include "bench/BenchStats.h"
#include "bench/Phases.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kReadyTimeoutMs = 10000;

struct Sample {
    double ms = 0;
    double rssMiB = 0;
    double hwmMiB = 0;
};

// A "VmRSS:  12345 kB" line of /proc/<pid>/status, in MiB.
double StatusMiB(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
        }
    }
    return 0;
}

void Reap(pid_t pid) {
    // The probe closes its dialog at once; a hung one is not waited for long.
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Starts the probe and times it to its first paint. The probe's ends of the
// pipes are the only descriptors it inherits on purpose.
std::optional<Sample> RunProbe(const std::string& probe, std::string& error) {
    int ready[2];
    int go[2];
    if (pipe(ready) != 0) {
        error = "no pipe";
        return std::nullopt;
    }
    if (pipe(go) != 0) {
        close(ready[0]);
        close(ready[1]);
        error = "no pipe";
        return std::nullopt;
    }
    fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    fcntl(go[1], F_SETFD, FD_CLOEXEC);
    const std::string readyFd = std::to_string(ready[1]);
    const std::string goFd = std::to_string(go[0]);
    char* const argv[] = {const_cast<char*>(probe.c_str()), const_cast<char*>(readyFd.c_str()),
                          const_cast<char*>(goFd.c_str()), nullptr};

    pid_t pid = -1;
    const Clock::time_point start = Clock::now();
    const int spawned = posix_spawn(&pid, probe.c_str(), nullptr, nullptr, argv, environ);
    close(ready[1]);
    close(go[0]);
    std::optional<Sample> sample;
    if (spawned != 0) {
        error = "could not start " + probe;
    } else {
        pollfd pfd{ready[0], POLLIN, 0};
        char byte = 0;
        if (poll(&pfd, 1, kReadyTimeoutMs) == 1 && read(ready[0], &byte, 1) == 1) {
            const Clock::time_point shown = Clock::now();
            // Read while the probe waits for the go-ahead, so the figures are
            // those of the moment the dialog was first shown.
            sample = Sample{std::chrono::duration<double, std::milli>(shown - start).count(),
                            StatusMiB(pid, "VmRSS"), StatusMiB(pid, "VmHWM")};
        } else {
            error = "the probe never reported its first paint";
        }
        [[maybe_unused]] const ssize_t n = write(go[1], "x", 1);
        Reap(pid);
    }
    close(ready[0]);
    close(go[1]);
    return sample;
}

}  // namespace

void MeasureStartUp(const BenchOptions& options, std::vector<Measure>& out) {
    const std::string timeLabel = "Start-up: process start to dialog painted";
    const std::string memLabel = "Resident memory when the dialog is painted (VmRSS)";
    std::vector<double> ms;
    std::vector<double> rss;
    std::vector<double> hwm;
    std::string error;
    for (int run = 0; run < options.startupRuns && error.empty(); ++run) {
        if (const std::optional<Sample> s = RunProbe(options.probePath, error)) {
            ms.push_back(s->ms);
            rss.push_back(s->rssMiB);
            hwm.push_back(s->hwmMiB);
        }
    }
    if (!error.empty() || ms.empty()) {
        out.push_back(NotMeasured("startup.ms", timeLabel, "< 0.5 s", error));
        out.push_back(NotMeasured("startup.rss_mib", memLabel, "< 80 MB", error));
        return;
    }
    const std::string runs = "median of " + std::to_string(ms.size()) + " runs";
    const Summary t = Summarise(ms);
    const Summary r = Summarise(rss);
    out.push_back(Measure{
        "startup.ms", timeLabel + " (" + runs + ")", t.p50, "ms",
        "first run " + FormatValue(ms.front(), "ms") + ", slowest " + FormatValue(t.max, "ms"),
        "< 0.5 s", t.max < 500.0});
    out.push_back(Measure{"startup.rss_mib", memLabel, r.p50, "MiB",
                          "largest " + FormatValue(r.max, "MiB") + ", peak VmHWM " +
                              FormatValue(*std::max_element(hwm.begin(), hwm.end()), "MiB"),
                          "< 80 MB", r.max < 80.0});
}
