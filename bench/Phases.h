#pragma once

#include <string>
#include <vector>

#include "bench/BenchReport.h"

struct BenchOptions {
    int presses = 1000;
    int replayGaps = 500;
    int listRows = 131071;  // as many records as the replay buffer made at start-up holds
    int idleSeconds = 10;
    int startupRuns = 5;
    std::string workDir;    // scratch files: lists to load, saved lists
    std::string probePath;  // the start-up probe program
};

// Each phase appends its lines to `out`; a phase that cannot run appends
// NotMeasured lines saying why.
void MeasureStartUp(const BenchOptions& options, std::vector<Measure>& out);
void MeasureIdleCost(const BenchOptions& options, std::vector<Measure>& out);
void MeasurePressToWire(const BenchOptions& options, std::vector<Measure>& out);
void MeasurePressToSocket(const BenchOptions& options, std::vector<Measure>& out);
void MeasurePressUnderFlood(const BenchOptions& options, std::vector<Measure>& out);
void MeasureReplayCadence(const BenchOptions& options, std::vector<Measure>& out);
void MeasureLargeList(const BenchOptions& options, std::vector<Measure>& out);
void MeasureLineRecord(const BenchOptions& options, std::vector<Measure>& out);
void MeasureMonitorFlood(const BenchOptions& options, std::vector<Measure>& out);
void MeasureCameraScan(const BenchOptions& options, std::vector<Measure>& out);
