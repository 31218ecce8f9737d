#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// One line of the results table and one entry of the JSON file.
struct Measure {
    std::string id;     // stable key for scripts, e.g. "press.p50_us"
    std::string label;  // what the table row says
    double value = 0;
    std::string unit;    // "us", "ms", "s", "%", "B", "MB", "x" or "" for a count
    std::string detail;  // shown after the value, e.g. the floor it is compared with
    std::string target;  // empty when the line has none
    std::optional<bool> met;
};

// A measurement that could not be taken: shown as missed, with the reason.
Measure NotMeasured(const std::string& id, const std::string& label, const std::string& target,
                    const std::string& reason);

struct Machine {
    std::string cpu;
    unsigned cores = 0;
    std::string kernel;
    std::string qt;
    std::string compiler;
    std::string loadAverage;  // at the start of the run: the machine may be shared
};

Machine DescribeMachine();

// A Markdown table, ready to paste, with the machine above it.
void PrintTable(std::ostream& out, const Machine& machine, const std::vector<Measure>& measures);
bool WriteJson(const std::string& path, const Machine& machine,
               const std::vector<Measure>& measures);

// The value with its unit, at a precision that suits its size.
std::string FormatValue(double value, const std::string& unit);
// A count with thousands separated: 131,071.
std::string Grouped(long count);
