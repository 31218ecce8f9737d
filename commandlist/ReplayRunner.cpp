#include "commandlist/ReplayRunner.h"

#include <cerrno>
#include <system_error>
#include <utility>

ReplayRunner::ReplayRunner(ReplayClock& clock) : m_clock(&clock) {}

ReplayRunner::~ReplayRunner() {
    Abort();
}

orvane::Result ReplayRunner::Start(PtzBase* driver, CxFile& stream, ReplayProgress progress,
                                   Finished finished) {
    if (Running()) {
        return orvane::Result::Failed("the replay", EBUSY);
    }
    Join();
    m_abort = std::stop_source();
    m_run = 1;
    m_ended = false;
    m_record = -1;
    m_pass = 0;
    try {
        m_thread = std::thread([this, driver, &stream, progress = std::move(progress),
                                finished = std::move(finished)] {
            RunReplay(driver, stream, *m_clock, m_run, m_abort.get_token(),
                      [this, &progress](int32_t record, uint32_t pass) {
                          m_record = record;
                          m_pass = pass;
                          if (progress) {
                              progress(record, pass);
                          }
                      });
            m_ended = true;
            if (finished) {
                finished();
            }
        });
    } catch (const std::system_error& e) {
        m_run = 0;
        return orvane::Result::Failed("the replay thread", e.code().value());
    }
    return {};
}

void ReplayRunner::RequestStop() {
    m_run = 0;
}

void ReplayRunner::Abort() {
    m_run = 0;
    m_abort.request_stop();
    Join();
}

void ReplayRunner::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}
