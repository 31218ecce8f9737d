#include "console/HoldCommand.h"

#include "console/CommandLog.h"
#include "platform/Semaphore.h"
#include "ptz/PtzBase.h"
#include "ptz/PtzCodes.h"

namespace {

// The second argument of every zoom, focus and iris start.
constexpr uint32_t kLensSpeed = 4;

bool SendHoldStart(PtzBase& driver, int code) {
    switch (code) {
        case PTZ_LEFT:
        case PTZ_RIGHT:
        case PTZ_UP:
        case PTZ_DOWN:
        case PTZ_LEFT_UP:
        case PTZ_RIGHT_UP:
        case PTZ_LEFT_DOWN:
        case PTZ_RIGHT_DOWN:
            driver.Action(code, g_nCtrlRate, g_nCtrlRate);
            return true;
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

// The record is complete before the wake-up, so the log thread lists this
// command and not the previous one.
void HandOverToLog() {
    if (RecordLastCommand(g_pPtz) && g_hMsgSemaphore != nullptr) {
        g_hMsgSemaphore->Release();
    }
}

}  // namespace

void HoldPress(int code) {
    if (g_pPtz == nullptr || !SendHoldStart(*g_pPtz, code)) {
        return;
    }
    HandOverToLog();
}

void HoldRelease() {
    if (g_pPtz == nullptr) {
        return;
    }
    g_pPtz->Action(PTZ_STOP, g_nCtrlRate, g_nCtrlRate);
    HandOverToLog();
}
