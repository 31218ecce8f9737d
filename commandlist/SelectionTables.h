#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The fixed tables the settings combos are filled from. A combo's selection
// index is an index into its table, and the command list file stores those
// indexes, so selections are turned into values here and nowhere else.
inline constexpr std::array<unsigned, 8> kPortNumbers = {1, 2, 3, 4, 5, 6, 7, 8};
inline constexpr std::array<unsigned, 13> kBaudRates = {
    110, 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
inline constexpr std::array<unsigned, 4> kDataBits = {5, 6, 7, 8};
inline constexpr std::array<unsigned, 2> kStopBits = {1, 2};
inline constexpr std::array<char, 3> kParities = {'N', 'E', 'O'};
inline constexpr std::array<const char*, 2> kPtzModels = {"PELCO_D", "PELCO_P"};
// Addresses and preset numbers 0 to 224; a selection index is the number.
inline constexpr int kAddressCount = 225;
inline constexpr int kPresetCount = 225;

inline constexpr int kModelPelcoD = 0;
inline constexpr int kModelPelcoP = 1;

// Start-up selections.
inline constexpr int kDefaultComIndex = 0;
inline constexpr int kDefaultBaudIndex = 4;
inline constexpr int kDefaultDataBitIndex = 3;
inline constexpr int kDefaultStopBitIndex = 0;
inline constexpr int kDefaultParityIndex = 0;
inline constexpr int kDefaultModelIndex = kModelPelcoP;
inline constexpr int kDefaultAddressIndex = 1;
inline constexpr int kDefaultPresetIndex = 1;
// The preset a loaded command list file selects.
inline constexpr int kLoadedPresetIndex = 40;

struct PortSettings {
    unsigned portNumber;
    unsigned baudRate;
    char parity;
    unsigned dataBits;
    unsigned stopBits;
};

struct PortSelection {
    int com;
    int baud;
    int parity;
    int dataBits;
    int stopBits;
};

// Every settings selection the command list file stores.
struct PanelSelection {
    PortSelection port;
    int model;
    int address;
};

template <typename Table>
constexpr bool InTable(const Table& table, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < table.size();
}

// The line settings the five selections name; nothing when any of them is
// missing (-1) or outside its table.
inline std::optional<PortSettings> PortSettingsFor(const PortSelection& s) {
    if (!InTable(kPortNumbers, s.com) || !InTable(kBaudRates, s.baud) ||
        !InTable(kParities, s.parity) || !InTable(kDataBits, s.dataBits) ||
        !InTable(kStopBits, s.stopBits)) {
        return std::nullopt;
    }
    return PortSettings{kPortNumbers[s.com], kBaudRates[s.baud], kParities[s.parity],
                        kDataBits[s.dataBits], kStopBits[s.stopBits]};
}

// True when the PTZ model and address selections name a driver.
inline bool PtzSelectionValid(int model, int address) {
    return InTable(kPtzModels, model) && address >= 0 && address < kAddressCount;
}
