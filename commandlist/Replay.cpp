#include "commandlist/Replay.h"

#include <bit>
#include <chrono>
#include <cstddef>
#include <thread>

#include "ptz/PtzBase.h"
#include "stream/CxFile.h"

static_assert(std::endian::native == std::endian::little);

namespace {

constexpr int32_t kHeaderBytes = sizeof(ReplayHeader);
constexpr int32_t kRecordBytes = sizeof(CommandRecord);
constexpr uint32_t kRetryPauseMs = 4;

void DefaultSleep(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

template <typename T>
bool WriteWord(CxFile& stream, const T& word) {
    return stream.Write(&word, sizeof word, 1) == 1;
}

template <typename T>
bool ReadItem(CxFile& stream, T& item) {
    return stream.Read(&item, sizeof item, 1) == 1;
}

}  // namespace

bool WriteReplayStream(CxFile& stream, uint32_t interval,
                       const std::vector<CommandRecord>& records) {
    const int32_t size = stream.Size();
    if (size < kHeaderBytes || !stream.Seek(0, 0)) {
        return false;
    }
    // Only what fits the stream as it stands: it may be a buffer the stream
    // does not own, which must not grow.
    const std::size_t room = static_cast<std::size_t>((size - kHeaderBytes) / kRecordBytes);
    const int32_t count = static_cast<int32_t>(records.size() < room ? records.size() : room);

    const int32_t intervalWord = static_cast<int32_t>(interval);
    if (!WriteWord(stream, intervalWord) || !WriteWord(stream, count)) {
        return false;
    }
    int32_t written = 0;
    while (written < count && stream.Write(&records[written], 1, kRecordBytes) ==
                                  static_cast<uint32_t>(kRecordBytes)) {
        ++written;
    }
    // The count must never promise records that are not there.
    if (written != count) {
        return stream.Seek(sizeof intervalWord, 0) && WriteWord(stream, written);
    }
    return true;
}

void RunReplay(PtzBase* driver, CxFile& stream, const std::atomic<int>& run, ReplaySleep sleep) {
    if (sleep == nullptr) {
        sleep = &DefaultSleep;
    }
    if (driver == nullptr || run.load() == 0) {
        return;
    }
    do {
        stream.Seek(0, 0);
        int32_t interval = 0;
        int32_t count = 0;
        if (!ReadItem(stream, interval) || !ReadItem(stream, count)) {
            sleep(kRetryPauseMs);
            continue;
        }
        if (count <= 0) {
            // Nothing to send: pause like a command would, rather than spin.
            sleep(kDefaultReplayPauseMs);
            continue;
        }
        for (int32_t handled = 0; handled < count; ++handled) {
            CommandRecord record;
            if (!ReadItem(stream, record)) {
                break;
            }
            uint32_t pause = kDefaultReplayPauseMs;
            if (interval > 0) {
                pause = static_cast<uint32_t>(interval);
            } else if (record.dwInterval != 0) {
                pause = record.dwInterval;
            }
            sleep(pause);
            // A loaded file can claim any size; never let a driver read past
            // the record's eight bytes.
            const uint32_t length = record.dwSize < sizeof record.byData
                                        ? record.dwSize
                                        : uint32_t{sizeof record.byData};
            driver->AutoAction(record.byData, length);
        }
    } while (run.load() != 0);
}
