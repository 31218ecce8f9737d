#include "tests/e2e/E2eSession.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/WaitUntil.h"

namespace {

std::atomic<ReplayPacer*> g_pacer{nullptr};

}  // namespace

::testing::AssertionResult RowShowsFrame(const CommandRowTexts& row, const DomeFrame& frame) {
    const std::string bytes = HexBytes(frame.bytes);
    const std::string size = std::to_string(frame.bytes.size());
    if (row.message != bytes || row.size != size || !frame.checkOk()) {
        return ::testing::AssertionFailure()
               << "row " << row.id << " shows \"" << row.message << "\" size " << row.size
               << ", the dome got \"" << bytes << "\" check " << frame.checkOk();
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ListedAndReceived(DialogHarness& h, const DomePeer& dome, int index,
                                             uint8_t address, const std::string& meaning) {
    if (!h.WaitForRows(index + 1) || !dome.WaitForFrames(static_cast<size_t>(index) + 1)) {
        return ::testing::AssertionFailure() << "row or frame " << index << " never came";
    }
    const DomeFrame frame = dome.Frame(static_cast<size_t>(index));
    const ::testing::AssertionResult same = RowShowsFrame(h.Row(index), frame);
    const std::string id = h.Row(index).id;
    if (same &&
        (frame.address != address || Meaning(frame) != meaning || id != std::to_string(index))) {
        return ::testing::AssertionFailure()
               << "row " << id << ": the dome read " << HexBytes(frame.bytes) << " as \""
               << Meaning(frame) << "\" to " << int{frame.address} << ", not \"" << meaning
               << "\" to " << int{address} << " as row " << index;
    }
    return same;
}

ReplayPacer::ReplayPacer() {
    g_pacer = this;
}

ReplayPacer::~ReplayPacer() {
    g_pacer = nullptr;
}

void ReplayPacer::Sleep(uint32_t ms) {
    if (ReplayPacer* pacer = g_pacer.load()) {
        pacer->Pause(ms);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void ReplayPacer::Arm(const DomePeer& dome) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dome = &dome;
    m_base = dome.FrameCount();
    m_pauses.clear();
}

void ReplayPacer::Pause(uint32_t ms) {
    const DomePeer* dome = nullptr;
    size_t sentBefore = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        dome = m_dome;
        sentBefore = m_base + m_pauses.size();
        m_pauses.push_back(ms);
    }
    if (dome != nullptr) {
        dome->WaitForFrames(sentBefore);
    }
}

std::vector<uint32_t> ReplayPacer::Pauses() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pauses;
}

bool ReplayPacer::WaitForPauses(size_t count) const {
    return WaitUntil([&] { return Pauses().size() >= count; });
}
