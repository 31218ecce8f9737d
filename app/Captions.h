#pragma once

// The titles of the dialog's message boxes, so every box of one kind carries
// the same one: "WARNING" for a start-up that could not make its objects,
// "Message" for every other message or question.
inline constexpr char kWarningCaption[] = "WARNING";
inline constexpr char kMessageCaption[] = "Message";
