#include "console/SharedState.h"

#include "platform/Semaphore.h"

namespace {
PtzBase* s_driver = nullptr;
uint32_t s_ctrlRate = kDefaultCtrlRate;
std::unique_ptr<Semaphore> s_semaphore;
uint32_t* s_lastTick = nullptr;
}  // namespace

// Read-only names for the values above; only the setters write them.
PtzBase* const& g_pPtz = s_driver;
const uint32_t& g_nCtrlRate = s_ctrlRate;
const std::unique_ptr<Semaphore>& g_hMsgSemaphore = s_semaphore;
uint32_t* const& g_pLastCmdTick = s_lastTick;
LastCommandSlot g_LastCmd;

void LastCommandSlot::Store(const CommandRecord& record) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record = record;
}

CommandRecord LastCommandSlot::Load() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_record;
}

bool LastCommandSlot::HasRoom() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queued.size() < kMaxQueued;
}

bool LastCommandSlot::Queue(const CommandRecord& record) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_queued.size() >= kMaxQueued) {
        return false;
    }
    m_queued.push_back(record);
    return true;
}

void LastCommandSlot::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record = CommandRecord{};
    m_queued.clear();
    m_queued.shrink_to_fit();
}

void SetCurrentDriver(PtzBase* driver) {
    s_driver = driver;
}

void SetCtrlRate(uint32_t rate) {
    s_ctrlRate = rate;
}

void SetLogSemaphore(std::unique_ptr<Semaphore> semaphore) {
    s_semaphore = std::move(semaphore);
}

void SetLastTickSlot(uint32_t* tick) {
    s_lastTick = tick;
}

void ResetSharedState() {
    SetCurrentDriver(nullptr);
    SetCtrlRate(kDefaultCtrlRate);
    SetLogSemaphore(nullptr);
    SetLastTickSlot(nullptr);
    g_LastCmd.Reset();
}
