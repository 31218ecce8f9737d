#include "bench/BenchSession.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <utility>

#include "console/CommandListModel.h"
#include "console/ControlIds.h"

std::optional<std::string> BenchPrompter::OpenFile(const std::string&, const std::string&) {
    return std::exchange(nextFile, std::nullopt);
}

std::optional<std::string> BenchPrompter::ChooseFolder(const std::string&) {
    return std::exchange(nextFolder, std::nullopt);
}

BenchSession::BenchSession(ReplaySleep replaySleep) {
    if (m_pty.ok()) {
        m_device = open(m_pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        m_ports.Link(1, m_pty.slavePath());
    }
    m_dlg = std::make_unique<COrvaneDlg>(nullptr, &m_prompter);
    m_dlg->SetReplaySleep(replaySleep);
    m_dlg->Create();
    // Let the first show and paint finish before anything is timed.
    RunEventLoop(std::chrono::milliseconds(200));
}

BenchSession::~BenchSession() {
    m_dlg.reset();
    if (m_device >= 0) {
        close(m_device);
    }
}

QPushButton* BenchSession::Button(int id) const {
    return qobject_cast<QPushButton*>(m_dlg->GetDlgItem(id));
}

bool BenchSession::Click(int id) {
    QPushButton* button = Button(id);
    if (button == nullptr || !button->isEnabled()) {
        return false;
    }
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

bool BenchSession::OpenPort() {
    if (!m_dlg->m_bPortOpen) {
        Click(IDC_BTN_OPENPORT);
        // The port's thread purges the line when it starts; bytes the bench
        // wrote before that would be thrown away.
        RunEventLoop(std::chrono::milliseconds(200));
    }
    return m_dlg->m_bPortOpen != 0;
}

void BenchSession::Select(int comboId, int index) {
    auto* combo = qobject_cast<QComboBox*>(m_dlg->GetDlgItem(comboId));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void BenchSession::SetText(int editId, const QString& text) {
    qobject_cast<QLineEdit*>(m_dlg->GetDlgItem(editId))->setText(text);
}

int BenchSession::Rows() const {
    return m_dlg->CommandList().Count();
}

void EnsureApplication(int& argc, char** argv) {
    if (QApplication::instance() != nullptr) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Lives until the process ends, like the program's own.
    new QApplication(argc, argv);
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
