#include "app/SelectionTables.h"

namespace {

template <typename Table>
bool InTable(const Table& table, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < table.size();
}

}  // namespace

std::optional<PortSettings> PortSettingsFor(const PortSelection& s) {
    if (!InTable(kPortNumbers, s.com) || !InTable(kBaudRates, s.baud) ||
        !InTable(kParities, s.parity) || !InTable(kDataBits, s.dataBits) ||
        !InTable(kStopBits, s.stopBits)) {
        return std::nullopt;
    }
    return PortSettings{kPortNumbers[s.com], kBaudRates[s.baud], kParities[s.parity],
                        kDataBits[s.dataBits], kStopBits[s.stopBits]};
}

bool PtzSelectionValid(int model, int address) {
    return InTable(kPtzModels, model) && address >= 0 && address < kAddressCount;
}
