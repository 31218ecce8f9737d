#pragma once

#include "app/Prompter.h"

#include <string>

class QString;
class QWidget;

// The file system's bytes for a path the toolkit's choosers give as text.
std::string ToLocalPath(const QString& path);

// The program's prompts: modal Qt dialogs owned by `owner`.
class QtPrompter : public IPrompter {
public:
    explicit QtPrompter(QWidget* owner) : m_owner(owner) {}

    void Message(const std::string& text, const std::string& caption, PromptIcon icon) override;
    bool Ask(const std::string& text, const std::string& caption) override;
    void About() override;
    std::optional<std::string> OpenFile(const std::string& defaultName,
                                        const std::string& filter) override;
    std::optional<std::string> ChooseFolder(const std::string& title) override;
    std::optional<std::string> SaveFile(const std::string& defaultName,
                                        const std::string& filter) override;

private:
    QWidget* m_owner;
};
