#include "tests/support/DialogSession.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>

#include "console/CommandListModel.h"
#include "console/ControlIds.h"
#include "stream/FileSystem.h"

void EnsureQtApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "orvane-tests";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends; the statics above keep argv valid for it.
    new QApplication(argc, argv);
}

bool ScriptedPrompter::Ask(const std::string& text, const std::string&) {
    questions.push_back(text);
    if (askAnswers.empty()) {
        return false;
    }
    const bool answer = askAnswers.front();
    askAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompter::Take(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
}

std::vector<std::string> ScriptedPrompter::Texts() const {
    std::vector<std::string> texts;
    for (const Shown& shown : messages) {
        texts.push_back(shown.text);
    }
    return texts;
}

void SleepReplayClock::WaitUntil(TimePoint deadline, std::stop_token) {
    if (deadline > m_now) {
        m_sleep(static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - m_now).count()));
        m_now = deadline;
    }
}

DialogSession::DialogSession(const SessionOptions& options) {
    EnsureQtApplication();
    IgnoreFileSizeSignal();
    m_ports.Link(1, options.linkCom1 ? m_pty.slavePath() : m_ports.root() + "/no-such-device");
    m_dlg = std::make_unique<COrvaneDlg>(nullptr, &m_prompter);
    m_dlg->SetCreationHook(options.hook);
    m_dlg->SetPortDiscovery(&m_discovery);
    if (options.replaySleep != nullptr) {
        m_sleepClock = std::make_unique<SleepReplayClock>(options.replaySleep);
    }
    m_dlg->SetReplayClock(m_sleepClock.get());
    m_dlg->Create();
}

QPushButton* DialogSession::Button(int id) const {
    return qobject_cast<QPushButton*>(Item(id));
}

QComboBox* DialogSession::Combo(int id) const {
    return qobject_cast<QComboBox*>(Item(id));
}

QLineEdit* DialogSession::Edit(int id) const {
    return qobject_cast<QLineEdit*>(Item(id));
}

bool DialogSession::Click(int id) {
    QPushButton* button = Button(id);
    const bool enabled = button->isEnabled();
    QTest::mouseClick(button, Qt::LeftButton);
    return enabled;
}

void DialogSession::Press(int id) {
    QTest::mousePress(Item(id), Qt::LeftButton);
}

void DialogSession::Release(int id, std::optional<QPoint> at) {
    QWidget* widget = Item(id);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier,
                        at.value_or(widget->rect().center()));
}

void DialogSession::Select(int comboId, int index) {
    QComboBox* combo = Combo(comboId);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void DialogSession::Type(int editId, const QString& text) {
    QLineEdit* edit = Edit(editId);
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(edit, text);
    }
}

bool DialogSession::OpenPort() {
    Click(IDC_BTN_OPENPORT);
    return probe().PortOpen();
}

bool DialogSession::Load(const std::string& path) {
    m_prompter.fileAnswers.push_back(path);
    return Click(IDC_BTN_BROWSE);
}

bool DialogSession::SaveTo(const std::string& folder, bool replace) {
    m_prompter.folderAnswers.push_back(folder);
    const size_t asked = m_prompter.questions.size();
    if (replace) {
        m_prompter.askAnswers.push_back(true);
    }
    const bool clicked = Click(IDC_BTN_SAVE);
    if (replace && m_prompter.questions.size() == asked) {
        m_prompter.askAnswers.pop_back();  // not asked: the answer is not left for later
    }
    return clicked;
}

int DialogSession::Rows() const {
    return m_dlg->CommandList().Count();
}

CommandRowTexts DialogSession::Row(int row) const {
    return m_dlg->CommandList().Row(row);
}

bool DialogSession::WaitForRows(int count, int timeoutMs) {
    return WaitFor([this, count] { return Rows() >= count; }, timeoutMs);
}

bool DialogSession::WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) {
        QTest::qWait(5);
    }
    return done();
}

void DialogSession::ProcessEvents() {
    QCoreApplication::processEvents();
}
