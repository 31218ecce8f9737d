#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/OrvaneDlg.h"
#include "app/Prompter.h"
#include "commandlist/CommandRow.h"
#include "commandlist/Replay.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedPortMap.h"
#include "tests/support/ScriptedPortDiscovery.h"

class QComboBox;
class QLineEdit;
class QPushButton;

// Creates the one QApplication of a test program; offscreen unless the
// environment chose a platform.
void EnsureQtApplication();

// Answers the dialog's prompts from a script and remembers what was asked.
class ScriptedPrompter : public IPrompter {
public:
    struct Shown {
        std::string text;
        std::string caption;
        PromptIcon icon;
    };

    void Message(const std::string& text, const std::string& caption, PromptIcon icon) override {
        messages.push_back({text, caption, icon});
    }
    // Answered from `askAnswers`; an empty queue answers No.
    bool Ask(const std::string& text, const std::string& caption) override;
    void About() override {}
    // Each answer is taken from the front of its queue; an empty queue cancels.
    std::optional<std::string> OpenFile(const std::string&, const std::string&) override {
        return Take(fileAnswers);
    }
    std::optional<std::string> ChooseFolder(const std::string&) override {
        return Take(folderAnswers);
    }
    std::optional<std::string> SaveFile(const std::string&, const std::string&) override {
        return Take(fileAnswers);
    }

    std::vector<std::string> Texts() const;
    // The text of the last message shown, or "".
    std::string Last() const { return messages.empty() ? std::string() : messages.back().text; }
    void Clear() {
        messages.clear();
        questions.clear();
    }

    std::vector<Shown> messages;
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    std::deque<bool> askAnswers;
    std::vector<std::string> questions;

private:
    static std::optional<std::string> Take(std::deque<std::optional<std::string>>& answers);
};

using ReplaySleep = void (*)(uint32_t ms);

// Time that passes only in the pauses handed to a stand-in sleep, each pause
// whole as it comes (an abort is seen once the sleep returns): a replay paced
// without waiting.
class SleepReplayClock final : public ReplayClock {
public:
    explicit SleepReplayClock(ReplaySleep sleep) : m_sleep(sleep) {}
    TimePoint Now() override { return m_now; }
    void WaitUntil(TimePoint deadline, std::stop_token abort) override;

private:
    ReplaySleep m_sleep;
    TimePoint m_now{};
};

struct SessionOptions {
    // COM1 leads to the session's pty; false: to a device that does not exist.
    bool linkCom1 = true;
    CreationHook hook;
    // A stand-in for the replay's pause; none: the steady clock.
    ReplaySleep replaySleep = nullptr;
};

// The main dialog, initialised and shown offscreen, with a pty behind "COM1",
// a scripted prompter and a scripted list of serial devices (empty at first),
// driven as an operator does. Shared by the tests and the bench.
class DialogSession {
public:
    explicit DialogSession(const SessionOptions& options = {});
    DialogSession(const DialogSession&) = delete;
    DialogSession& operator=(const DialogSession&) = delete;

    COrvaneDlg& dlg() { return *m_dlg; }
    DialogProbe probe() { return DialogProbe(*m_dlg); }
    ScriptedPrompter& prompter() { return m_prompter; }
    PtyPair& pty() { return m_pty; }
    ScopedPortMap& ports() { return m_ports; }
    ScriptedPortDiscovery& discovery() { return m_discovery; }

    QWidget* Item(int id) const { return m_dlg->GetDlgItem(id); }
    QPushButton* Button(int id) const;
    QComboBox* Combo(int id) const;
    QLineEdit* Edit(int id) const;

    // A mouse click on the button; false when it is disabled, which takes no click.
    bool Click(int id);
    // The primary mouse button going down and up over a control. The release
    // goes to the same control at `at` (its centre by default), like the
    // toolkit delivers it to the widget that took the press.
    void Press(int id);
    void Release(int id, std::optional<QPoint> at = std::nullopt);
    // Selects an entry as the operator does, so the selection handler runs.
    void Select(int comboId, int index);
    // Replaces the field's text keystroke by keystroke, as typed.
    void Type(int editId, const QString& text);

    // Clicks "Open" (or "Close") and answers its message; true when the port is open afterwards.
    bool OpenPort();
    // Clicks "Browse..." with `path` as the chosen file; false when the button is disabled.
    bool Load(const std::string& path);
    // Clicks "Save" with `folder` chosen, answering Yes to replacing a file when `replace`.
    bool SaveTo(const std::string& folder, bool replace = false);

    int Rows() const;
    CommandRowTexts Row(int row) const;
    // Processes events until the list holds `count` rows or the deadline passes.
    bool WaitForRows(int count, int timeoutMs = 5000);
    // Processes events until `done` holds or the deadline passes.
    bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);
    // Lets queued calls run.
    void ProcessEvents();

private:
    // Declared in this order so the dialog goes first, then the pty and the map.
    ScopedPortMap m_ports;
    PtyPair m_pty;
    ScriptedPrompter m_prompter;
    ScriptedPortDiscovery m_discovery;
    std::unique_ptr<ReplayClock> m_sleepClock;
    std::unique_ptr<COrvaneDlg> m_dlg;
};
