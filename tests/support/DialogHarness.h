#pragma once

#include <QString>
#include <cstdint>
#include <ostream>

#include "tests/support/DialogSession.h"

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// A tick counter moved by hand, installed for the object's life, so
// intervals are checked without sleeping.
class ScopedManualTicks {
public:
    explicit ScopedManualTicks(uint32_t start = 1000);
    ~ScopedManualTicks();
    ScopedManualTicks(const ScopedManualTicks&) = delete;
    ScopedManualTicks& operator=(const ScopedManualTicks&) = delete;

    void Advance(uint32_t ms);
};

struct DialogOptions : SessionOptions {
    // COM1 leads nowhere.
    static DialogOptions NoDevice() { return {{false, {}, nullptr}}; }
    // The one creation step fails.
    static DialogOptions FailingAt(CreationStep step) {
        return {{true, [step](CreationStep s) { return s != step; }, nullptr}};
    }
};

// The tests' session: the dialog with its creation steps open to failure.
class DialogHarness : public DialogSession {
public:
    explicit DialogHarness(const DialogOptions& options = {}) : DialogSession(options) {}
};
