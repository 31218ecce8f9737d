#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Texts of the window made without the toolkit. The application installs
// the toolkit's translator as the lookup; until then, and in the tests
// without it, a text is its English source.

// Marks a text kept in a table for lupdate; it is looked up where it is shown.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace texts {

using Lookup = std::string (*)(const char* context, const char* source);

// Set once at start-up, before any text is made.
void SetLookup(Lookup lookup);

// The text in the operator's language. Named as Qt's own, so that lupdate
// collects the literal arguments of every call.
std::string translate(const char* context, const char* source);

// `text` with %1, %2, ... replaced by `args`, in whatever order the
// translation puts them.
std::string Fill(std::string_view text, std::initializer_list<std::string_view> args);

}  // namespace texts
