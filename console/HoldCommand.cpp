#include "console/HoldCommand.h"

#include <algorithm>
#include <cstdint>

#include "console/CommandLog.h"
#include "platform/Semaphore.h"
#include "ptz/PtzBase.h"
#include "ptz/PtzCodes.h"

namespace {

// The second argument of every zoom, focus and iris start.
constexpr uint32_t kLensSpeed = 4;

bool s_holdUnderWay = false;

bool SendHoldStart(PtzBase& driver, int code) {
    if (code < PTZ_LEFT || code > PTZ_IRIS_OPEN) {
        return false;
    }
    WaitForSendRoom(driver);
    switch (code) {
        case PTZ_LEFT:
        case PTZ_RIGHT:
        case PTZ_UP:
        case PTZ_DOWN:
        case PTZ_LEFT_UP:
        case PTZ_RIGHT_UP:
        case PTZ_LEFT_DOWN:
        case PTZ_RIGHT_DOWN: {
            const uint32_t speed = HoldSpeed(g_nCtrlRate, driver.TopSpeed());
            driver.Action(code, speed, speed);
            return true;
        }
        case PTZ_ZOOM_TELE:
        case PTZ_ZOOM_WIDE:
            driver.Zoom(static_cast<uint32_t>(code), kLensSpeed);
            return true;
        case PTZ_FOCUS_NEAR:
        case PTZ_FOCUS_FAR:
            driver.Focus(static_cast<uint32_t>(code), kLensSpeed);
            return true;
        case PTZ_IRIS_CLOSE:
        case PTZ_IRIS_OPEN:
            driver.Iris(static_cast<uint32_t>(code), kLensSpeed);
            return true;
        default:
            return false;
    }
}

// The record is queued before the wake-up, so the log thread finds it; a
// release on a semaphore already signalled loses nothing, as the one wake-up
// takes every queued record.
void HandOverToLog() {
    if (RecordLastCommand(g_pPtz) && g_hMsgSemaphore != nullptr) {
        g_LastCmd.Queue(g_LastCmd.Load());
        g_hMsgSemaphore->Release();
    }
}

}  // namespace

uint32_t HoldSpeed(uint32_t ctrlRate, uint32_t topSpeed) {
    return std::min(ctrlRate, topSpeed);
}

bool HoldPress(int code) {
    // A record that could not be listed is not sent either.
    if (g_pPtz == nullptr || !g_LastCmd.HasRoom() || !SendHoldStart(*g_pPtz, code)) {
        return false;
    }
    s_holdUnderWay = true;
    HandOverToLog();
    return true;
}

void HoldRelease() {
    s_holdUnderWay = false;
    if (g_pPtz == nullptr) {
        return;
    }
    WaitForSendRoom(*g_pPtz);
    g_pPtz->Action(PTZ_STOP, g_nCtrlRate, g_nCtrlRate);
    HandOverToLog();
}

bool HoldUnderWay() {
    return s_holdUnderWay;
}

bool EndHold() {
    if (!s_holdUnderWay) {
        return false;
    }
    HoldRelease();
    return true;
}
