// Measures the dialog offscreen, behind a pty standing in for the serial
// line, and prints one Markdown table; the same figures go to a JSON file.
//
//   orvane-bench [--json FILE] [--only PHASE,...] [--presses N] [--rows N]
//                [--idle-seconds N] [--startup-runs N]
//
// Phases: startup, idle, press, net, flood, replay, list, record, monitor, scan.

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

#include "bench/BenchReport.h"
#include "bench/BenchSession.h"
#include "bench/Phases.h"

namespace {

struct Phase {
    const char* name;
    const char* what;
    void (*run)(const BenchOptions&, std::vector<Measure>&);
    bool needsApplication;
};

const Phase kPhases[] = {
    {"startup", "start-up", &MeasureStartUp, false},
    {"idle", "idle cost", &MeasureIdleCost, true},
    {"press", "press to wire", &MeasurePressToWire, true},
    {"net", "press to socket (raw TCP on loopback)", &MeasurePressToSocket, true},
    {"flood", "press to wire under an input flood", &MeasurePressUnderFlood, true},
    {"replay", "replay cadence", &MeasureReplayCadence, true},
    {"list", "large list", &MeasureLargeList, true},
    {"record", "the list against the wire under bursts", &MeasureLineRecord, true},
    {"monitor", "line monitor under a flood", &MeasureMonitorFlood, true},
    {"scan", "camera scan at 4800 baud", &MeasureCameraScan, true},
};

int Usage(const char* self) {
    std::fprintf(stderr,
                 "usage: %s [--json FILE] [--only PHASE,...] [--presses N] [--rows N]\n"
                 "          [--idle-seconds N] [--startup-runs N]\n"
                 "phases: startup, idle, press, net, flood, replay, list, record, monitor, scan\n",
                 self);
    return 2;
}

std::string SelfDir() {
    char path[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::filesystem::path(std::string(path, static_cast<size_t>(n)))
                       .parent_path()
                       .string()
                 : std::string(".");
}

bool ParsePositive(const char* text, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed <= 0 || parsed > INT_MAX) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    BenchOptions options;
    std::string jsonPath = "bench.json";
    std::set<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = value != nullptr;
        if (arg == "--json" && ok) {
            jsonPath = value;
        } else if (arg == "--only" && ok) {
            std::stringstream list(value);
            for (std::string name; std::getline(list, name, ',');) {
                only.insert(name);
            }
        } else if (arg == "--presses" && ok) {
            ok = ParsePositive(value, options.presses);
        } else if (arg == "--rows" && ok) {
            ok = ParsePositive(value, options.listRows);
        } else if (arg == "--idle-seconds" && ok) {
            ok = ParsePositive(value, options.idleSeconds);
        } else if (arg == "--startup-runs" && ok) {
            ok = ParsePositive(value, options.startupRuns);
        } else {
            ok = false;
        }
        if (!ok) {
            return Usage(argv[0]);
        }
        ++i;
    }
    for (const std::string& name : only) {
        if (std::none_of(std::begin(kPhases), std::end(kPhases),
                         [&](const Phase& p) { return name == p.name; })) {
            return Usage(argv[0]);
        }
    }

    // Taken before the bench adds load of its own.
    const Machine machine = DescribeMachine();
    char work[] = "/tmp/orvane-bench-XXXXXX";
    if (mkdtemp(work) == nullptr) {
        std::perror("orvane-bench: mkdtemp");
        return 1;
    }
    options.workDir = work;
    options.probePath = SelfDir() + "/orvane-bench-startup";

    std::vector<Measure> measures;
    for (const Phase& phase : kPhases) {
        if (!only.empty() && only.count(phase.name) == 0) {
            continue;
        }
        std::fprintf(stderr, "orvane-bench: measuring %s\n", phase.what);
        if (phase.needsApplication) {
            EnsureQtApplication();
        }
        phase.run(options, measures);
    }
    std::error_code ec;
    std::filesystem::remove_all(options.workDir, ec);

    PrintTable(std::cout, machine, measures);
    std::cout.flush();
    if (!WriteJson(jsonPath, machine, measures)) {
        std::fprintf(stderr, "orvane-bench: could not write %s\n", jsonPath.c_str());
        return 1;
    }
    std::fprintf(stderr, "orvane-bench: results also in %s\n", jsonPath.c_str());
    const bool allTaken = std::none_of(measures.begin(), measures.end(), [](const Measure& m) {
        return m.detail.rfind("not measured", 0) == 0;
    });
    return allTaken ? 0 : 1;
}
