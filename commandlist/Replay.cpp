#include "commandlist/Replay.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <mutex>

#include "ptz/PtzBase.h"
#include "stream/CxFile.h"

static_assert(std::endian::native == std::endian::little);

namespace {

using std::chrono::milliseconds;
using TimePoint = ReplayClock::TimePoint;

constexpr int32_t kHeaderBytes = sizeof(ReplayHeader);
constexpr int32_t kRecordBytes = sizeof(CommandRecord);
// A stream whose header cannot be read is tried again after this pause.
constexpr uint32_t kUnreadablePauseMs = 4;

class SteadyClock final : public ReplayClock {
public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }
    void WaitUntil(TimePoint deadline, std::stop_token abort) override {
        // Nothing ever notifies but the abort's own callback.
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait_until(lock, abort, deadline, [] { return false; });
    }
};

// The replay stream is a buffer in memory: any failure of it is an I/O error.
orvane::Result StreamFailed() {
    return orvane::Result::Failed("the replay stream", EIO);
}

template <typename T>
bool WriteWord(CxFile& stream, const T& word) {
    return stream.Write(&word, sizeof word, 1) == 1;
}

template <typename T>
bool ReadItem(CxFile& stream, T& item) {
    return stream.Read(&item, sizeof item, 1) == 1;
}

// Keeps the due time of the next command. Each one is due a pause after the
// previous one's due time, not after it went out.
class Schedule {
public:
    Schedule(ReplayClock& clock, std::stop_token abort)
        : m_clock(clock), m_abort(std::move(abort)), m_due(clock.Now()), m_sent(m_due) {}

    // Waits for the next due time; false on an abort.
    bool Pause(uint32_t pauseMs) {
        const milliseconds pause(pauseMs);
        m_due += pause;
        // Overdue commands catch up at half a pause apart, never back to
        // back: the camera acts on each command until the next one comes, so
        // each keeps at least half its pause.
        const TimePoint at =
            std::max(m_due, m_sent + std::chrono::duration_cast<TimePoint::duration>(pause) / 2);
        m_clock.WaitUntil(at, m_abort);
        if (m_abort.stop_requested()) {
            return false;
        }
        m_sent = m_clock.Now();
        if (m_sent - m_due > std::max<milliseconds>(milliseconds(kReplayStallMs), 2 * pause)) {
            m_due = m_sent;
        }
        return true;
    }

private:
    ReplayClock& m_clock;
    std::stop_token m_abort;
    TimePoint m_due;
    TimePoint m_sent;  // when the last command was let go
};

}  // namespace

orvane::Result WriteReplayStream(CxFile& stream, uint32_t interval,
                                 const std::vector<CommandRecord>& records) {
    const int32_t size = stream.Size();
    if (size < kHeaderBytes || !stream.Seek(0, 0)) {
        return StreamFailed();
    }
    // Only what fits the stream as it stands: it may be a buffer the stream
    // does not own, which must not grow.
    const std::size_t room = static_cast<std::size_t>((size - kHeaderBytes) / kRecordBytes);
    const int32_t count = static_cast<int32_t>(records.size() < room ? records.size() : room);

    const int32_t intervalWord = static_cast<int32_t>(interval);
    if (!WriteWord(stream, intervalWord) || !WriteWord(stream, count)) {
        return StreamFailed();
    }
    int32_t written = 0;
    while (written < count && stream.Write(&records[written], 1, kRecordBytes) ==
                                  static_cast<uint32_t>(kRecordBytes)) {
        ++written;
    }
    // The count must never promise records that are not there.
    if (written != count && !(stream.Seek(sizeof intervalWord, 0) && WriteWord(stream, written))) {
        return StreamFailed();
    }
    return {};
}

ReplayClock& SteadyReplayClock() {
    static SteadyClock clock;
    return clock;
}

void RunReplay(PtzBase* driver, CxFile& stream, ReplayClock& clock, const std::atomic<int>& run,
               const std::stop_token& abort, const ReplayProgress& progress) {
    if (driver == nullptr || run.load() == 0 || abort.stop_requested()) {
        return;
    }
    Schedule schedule(clock, abort);
    uint32_t pass = 0;
    do {
        ++pass;
        stream.Seek(0, 0);
        int32_t interval = 0;
        int32_t count = 0;
        if (!ReadItem(stream, interval) || !ReadItem(stream, count)) {
            if (!schedule.Pause(kUnreadablePauseMs)) {
                return;
            }
            continue;
        }
        if (count <= 0) {
            // Nothing to send: pause like a command would, rather than spin.
            if (!schedule.Pause(kDefaultReplayPauseMs)) {
                return;
            }
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
            if (!schedule.Pause(pause)) {
                return;
            }
            if (progress) {
                progress(handled, pass);
            }
            // A loaded file can claim any size; never let a driver read past
            // the record's eight bytes.
            const uint32_t length = record.dwSize < sizeof record.byData
                                        ? record.dwSize
                                        : uint32_t{sizeof record.byData};
            // A replay faster than the line goes at the line's pace rather
            // than have frames refused.
            driver->WaitForRoom(abort);
            if (abort.stop_requested()) {
                return;
            }
            driver->AutoAction(record.byData, length);
        }
    } while (run.load() != 0 && !abort.stop_requested());
}
