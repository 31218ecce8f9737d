#include "console/FunctionButtons.h"

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "ptz/PtzBase.h"
#include "ptz/PtzCodes.h"

const std::array<FunctionButton, 12> kFunctionButtons = {{
    {IDC_BTN_PRESET, "PRESET", PTZ_PRESET_SET, -1, true},
    {IDC_BTN_CALL, "CALL", PTZ_PRESET_CALL, -1, true},
    {IDC_BTN_DELETE, "DELETE", PTZ_PRESET_CLEAR3, -1, true},
    {IDC_BTN_SETAUX, "SETAUX", PTZ_AUX_SET, -1, true},
    {IDC_BTN_CLRAUX, "CLRAUX", PTZ_AUX_CLEAR, -1, true},
    {IDC_BTN_HOME, "HOME", PTZ_PRESET_CALL, 34, true},
    {IDC_BTN_MENU, "MENU", PTZ_PRESET_CALL, 95, false},
    {IDC_BTN_MEMORY, "MEMORY", PTZ_PRESET_CALL, 98, false},
    {IDC_BTN_SCAN, "SCAN", PTZ_PRESET_CALL, 99, false},
    {IDC_BTN_TOUR, "TOUR", PTZ_PRESET_CALL, 76, false},
    {IDC_BTN_STOP, "STOP", PTZ_PRESET_CALL, 96, false},
    {IDC_BTN_SHOT, "SHOT", -1, -1, false},
}};

const FunctionButton* FindFunctionButton(int id) {
    for (const FunctionButton& button : kFunctionButtons) {
        if (button.id == id) {
            return &button;
        }
    }
    return nullptr;
}

bool SendFunctionCommand(PtzBase& driver, const FunctionButton& button, int presetId) {
    if (button.op < 0) {
        return false;
    }
    const int number = button.fixedPreset >= 0 ? button.fixedPreset : presetId;
    if (number < 0) {
        return false;
    }
    WaitForSendRoom(driver);
    driver.PresetAction(static_cast<uint32_t>(button.op), static_cast<uint32_t>(number));
    return true;
}
