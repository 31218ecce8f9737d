#pragma once

#include <chrono>
#include <thread>

// Polls `done` until it holds or `deadline` has passed; true when it held.
// The deadline is seconds long because it only bounds a hang: a passing test
// never waits for it.
template <class Done>
bool WaitUntil(Done done, std::chrono::seconds deadline = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until) {
            return done();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
