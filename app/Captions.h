#pragma once

#include <string>

#include "console/Texts.h"

// The titles of the dialog's message boxes, so every box of one kind carries
// the same one: "WARNING" for a start-up that could not make its objects,
// "Message" for every other message or question.
struct Caption {
    const char* source;
    // Handed to the prompter in the operator's language.
    operator std::string() const { return texts::translate("COrvaneDlg", source); }
};
inline constexpr Caption kWarningCaption{QT_TRANSLATE_NOOP("COrvaneDlg", "WARNING")};
inline constexpr Caption kMessageCaption{QT_TRANSLATE_NOOP("COrvaneDlg", "Message")};
