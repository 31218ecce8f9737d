#include "bench/ListFileWriter.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

void PutWord(std::vector<uint8_t>& out, uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(word >> shift));
    }
}

}  // namespace

std::array<uint8_t, 7> ListRowFrame(int row) {
    const auto speed = static_cast<uint8_t>(1 + row % 0x3F);
    std::array<uint8_t, 7> frame = {0xFF, 0x01, 0x00, 0x04, speed, 0x00, 0x00};
    frame[6] = static_cast<uint8_t>(frame[1] + frame[2] + frame[3] + frame[4] + frame[5]);
    return frame;
}

bool WriteListFile(const std::string& path, int rows, uint32_t cmdInterval) {
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(ListFileSize(rows)));
    // reserved, COM1, 4800, 8 data bits, 1 stop bit, parity N
    for (uint32_t word : {0u, 0u, 4u, 3u, 0u, 0u}) {
        PutWord(bytes, word);
    }
    // reserved, PELCO_D, address 1, Ctrl Rate, Cmd Interval Time, count
    for (uint32_t word : {0u, 0u, 1u, 32u, cmdInterval, static_cast<uint32_t>(rows)}) {
        PutWord(bytes, word);
    }
    for (int row = 0; row < rows; ++row) {
        PutWord(bytes, static_cast<uint32_t>(1 + row % 100));
        PutWord(bytes, 7);
        const std::array<uint8_t, 7> frame = ListRowFrame(row);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
        bytes.push_back(0);
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    return file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
           std::fflush(file.get()) == 0;
}
