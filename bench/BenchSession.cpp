#include "bench/BenchSession.h"

#include <fcntl.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>

#include "commandlist/SelectionTables.h"
#include "console/ControlIds.h"

BenchSession::BenchSession(ReplaySleep replaySleep)
    : DialogSession(SessionOptions{true, {}, replaySleep}) {
    // The dialog takes the port only when it opens it, so this open succeeds.
    if (pty().ok()) {
        m_device = open(pty().slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    // Let the first show and paint finish before anything is timed.
    RunEventLoop(std::chrono::milliseconds(200));
}

BenchSession::~BenchSession() {
    if (m_device >= 0) {
        close(m_device);
    }
}

const char* BenchSession::OpenPelcoD() {
    if (!ok()) {
        return "no pty";
    }
    Select(IDC_COMBO_PTZMODEL, kModelPelcoD);
    return OpenLine() ? nullptr : "COM1 did not open";
}

bool BenchSession::OpenLine() {
    if (!probe().PortOpen()) {
        Click(IDC_BTN_OPENPORT);
        // The port's thread purges the line when it starts; bytes the bench
        // wrote before that would be thrown away.
        RunEventLoop(std::chrono::milliseconds(200));
    }
    return probe().PortOpen();
}

bool RunEventLoop(std::chrono::milliseconds duration, const std::function<bool()>& done) {
    if (done && done()) {
        return true;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(duration);
    QTimer check;
    if (done) {
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done()) {
                loop.quit();
            }
        });
        check.start(1);
    }
    loop.exec();
    return done && done();
}

StallWatch::StallWatch() : m_timer(std::make_unique<QTimer>()) {
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(1);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] {
        const auto now = std::chrono::steady_clock::now();
        const double gap = std::chrono::duration<double, std::milli>(now - m_last).count();
        if (gap > m_longestMs) {
            m_longestMs = gap;
        }
        m_last = now;
    });
}

StallWatch::~StallWatch() = default;

void StallWatch::Start() {
    m_longestMs = 0;
    m_last = std::chrono::steady_clock::now();
    m_timer->start();
}

double StallWatch::Stop() {
    m_timer->stop();
    return m_longestMs;
}
