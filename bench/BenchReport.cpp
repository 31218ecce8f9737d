#include "bench/BenchReport.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <QtGlobal>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::string FirstLineWith(const char* path, const std::string& prefix) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return line;
        }
    }
    return {};
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

}  // namespace

Measure NotMeasured(const std::string& id, const std::string& label, const std::string& target,
                    const std::string& reason) {
    Measure m;
    m.id = id;
    m.label = label;
    m.value = std::nan("");
    m.detail = "not measured: " + reason;
    m.target = target;
    m.met = false;
    return m;
}

Machine DescribeMachine() {
    Machine machine;
    const std::string model = FirstLineWith("/proc/cpuinfo", "model name");
    const auto colon = model.find(':');
    machine.cpu = colon == std::string::npos ? "unknown" : Trim(model.substr(colon + 1));
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    machine.cores = online > 0 ? static_cast<unsigned>(online) : 0;
    utsname names{};
    if (uname(&names) == 0) {
        machine.kernel = std::string(names.sysname) + " " + names.release;
    }
    machine.qt = qVersion();
#if defined(__clang__)
    machine.compiler = "clang " __clang_version__;
#elif defined(__GNUC__)
    machine.compiler = "g++ " __VERSION__;
#endif
    std::ifstream load("/proc/loadavg");
    std::string one, five, fifteen;
    if (load >> one >> five >> fifteen) {
        machine.loadAverage = one + " " + five + " " + fifteen;
    }
    return machine;
}

std::string FormatValue(double value, const std::string& unit) {
    if (!std::isfinite(value)) {
        return "-";
    }
    const double size = std::fabs(value);
    const int decimals = size >= 100 ? 0 : (size >= 10 ? 1 : (size >= 1 ? 2 : 3));
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    if (unit == "x") {
        return out + "x";
    }
    if (unit == "%") {
        return out + " %";
    }
    if (unit == "us") {
        return out + " µs";
    }
    return unit.empty() ? out : out + " " + unit;
}

std::string Grouped(long count) {
    const std::string digits = std::to_string(count < 0 ? -count : count);
    std::string out = count < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

void PrintTable(std::ostream& out, const Machine& machine, const std::vector<Measure>& measures) {
    out << "Machine: " << machine.cpu << ", " << machine.cores << " cores, " << machine.kernel
        << ", Qt " << machine.qt << ", " << machine.compiler << " (Release)"
        << ", load average at start " << machine.loadAverage << "\n\n";
    out << "| Measure | Result | Target | Met |\n";
    out << "|---|---|---|---|\n";
    for (const Measure& m : measures) {
        std::string result = FormatValue(m.value, m.unit);
        if (!m.detail.empty()) {
            if (std::isfinite(m.value)) {
                result.append(" (").append(m.detail).append(")");
            } else {
                result = m.detail;
            }
        }
        const char* met = !m.met.has_value() ? "" : (*m.met ? "yes" : "**no**");
        out << "| " << m.label << " | " << result << " | " << m.target << " | " << met << " |\n";
    }
}

bool WriteJson(const std::string& path, const Machine& machine,
               const std::vector<Measure>& measures) {
    std::ostringstream json;
    json << "{\n  \"machine\": {"
         << "\"cpu\": " << JsonString(machine.cpu) << ", \"cores\": " << machine.cores
         << ", \"kernel\": " << JsonString(machine.kernel) << ", \"qt\": " << JsonString(machine.qt)
         << ", \"compiler\": " << JsonString(machine.compiler)
         << ", \"load_average\": " << JsonString(machine.loadAverage) << "},\n";
    json << "  \"measures\": [\n";
    for (std::size_t i = 0; i < measures.size(); ++i) {
        const Measure& m = measures[i];
        json << "    {\"id\": " << JsonString(m.id) << ", \"label\": " << JsonString(m.label)
             << ", \"value\": " << JsonNumber(m.value) << ", \"unit\": " << JsonString(m.unit)
             << ", \"detail\": " << JsonString(m.detail) << ", \"target\": " << JsonString(m.target)
             << ", \"met\": " << (m.met.has_value() ? (*m.met ? "true" : "false") : "null") << "}"
             << (i + 1 < measures.size() ? ",\n" : "\n");
    }
    json << "  ]\n}\n";
    std::ofstream out(path, std::ios::trunc);
    out << json.str();
    return static_cast<bool>(out.flush());
}
