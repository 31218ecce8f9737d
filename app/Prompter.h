#pragma once

#include <optional>
#include <string>

enum class PromptIcon { None, Information, Warning };

// Every modal prompt of the main dialog goes through here, so that tests can
// answer them without a display.
class IPrompter {
public:
    virtual ~IPrompter() = default;

    // A message box with one OK button.
    virtual void Message(const std::string& text, const std::string& caption, PromptIcon icon) = 0;
    // A question with Yes and No buttons; true for Yes.
    virtual bool Ask(const std::string& text, const std::string& caption) = 0;
    // The About box.
    virtual void About() = 0;
    // An open-file chooser; the chosen file's full path, or nothing when cancelled.
    virtual std::optional<std::string> OpenFile(const std::string& defaultName,
                                                const std::string& filter) = 0;
    // A folder chooser; the chosen folder, or nothing when cancelled. Paths
    // are the file system's bytes, which need not be UTF-8.
    virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
    // A save-file chooser; the path, or nothing when cancelled.
    virtual std::optional<std::string> SaveFile(const std::string& defaultName,
                                                const std::string& filter) {
        (void)defaultName;
        (void)filter;
        return std::nullopt;
    }
};

// Ends a hold under way before each prompt: a modal box would take the
// release of the mouse button, and the camera would keep moving.
class HoldEndingPrompter final : public IPrompter {
public:
    explicit HoldEndingPrompter(IPrompter& inner) : m_inner(inner) {}

    void Message(const std::string& text, const std::string& caption, PromptIcon icon) override;
    bool Ask(const std::string& text, const std::string& caption) override;
    void About() override;
    std::optional<std::string> OpenFile(const std::string& defaultName,
                                        const std::string& filter) override;
    std::optional<std::string> ChooseFolder(const std::string& title) override;
    std::optional<std::string> SaveFile(const std::string& defaultName,
                                        const std::string& filter) override;

private:
    IPrompter& m_inner;
};
