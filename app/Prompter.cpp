#include "app/Prompter.h"

#include "console/HoldCommand.h"

void HoldEndingPrompter::Message(const std::string& text, const std::string& caption,
                                 PromptIcon icon) {
    EndHold();
    m_inner.Message(text, caption, icon);
}

bool HoldEndingPrompter::Ask(const std::string& text, const std::string& caption) {
    EndHold();
    return m_inner.Ask(text, caption);
}

void HoldEndingPrompter::About() {
    EndHold();
    m_inner.About();
}

std::optional<std::string> HoldEndingPrompter::OpenFile(const std::string& defaultName,
                                                        const std::string& filter) {
    EndHold();
    return m_inner.OpenFile(defaultName, filter);
}

std::optional<std::string> HoldEndingPrompter::ChooseFolder(const std::string& title) {
    EndHold();
    return m_inner.ChooseFolder(title);
}

std::optional<std::string> HoldEndingPrompter::SaveFile(const std::string& defaultName,
                                                        const std::string& filter) {
    EndHold();
    return m_inner.SaveFile(defaultName, filter);
}
