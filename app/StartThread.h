#pragma once

#include <system_error>
#include <thread>
#include <utility>

// std::thread reports a failed start by throwing; the dialog treats it as a
// result like every other creation step.
template <typename Body>
bool StartThread(std::thread& thread, Body body) {
    try {
        thread = std::thread(std::move(body));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
