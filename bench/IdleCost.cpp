#include <sys/resource.h>

#include "bench/BenchSession.h"
#include "bench/Phases.h"

namespace {

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

void MeasureIdleCost(const BenchOptions& options, std::vector<Measure>& out) {
    const std::string label = "Idle CPU, port open, " + std::to_string(options.idleSeconds) + " s";
    const std::string target = "< 1 % of one core";
    BenchSession session;
    if (!session.ok() || !session.OpenLine()) {
        out.push_back(NotMeasured("idle.cpu_percent", label, target, "COM1 did not open"));
        return;
    }
    // Whatever the opening left to do (paints, the first log passes) is done
    // before the count starts.
    RunEventLoop(std::chrono::seconds(1));

    rusage before{};
    rusage after{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    RunEventLoop(std::chrono::seconds(options.idleSeconds));
    const auto end = std::chrono::steady_clock::now();
    getrusage(RUSAGE_SELF, &after);

    const double wall = std::chrono::duration<double>(end - start).count();
    const double cpu = Seconds(after.ru_utime) - Seconds(before.ru_utime) +
                       Seconds(after.ru_stime) - Seconds(before.ru_stime);
    const double percent = 100.0 * cpu / wall;
    const double wakeups = static_cast<double>(after.ru_nvcsw - before.ru_nvcsw) / wall;
    out.push_back(Measure{"idle.cpu_percent", label + " (all threads, getrusage)", percent, "%",
                          FormatValue(cpu * 1000, "ms") + " CPU, " + FormatValue(wakeups, "") +
                              " voluntary context switches/s",
                          target, percent < 1.0});
}
