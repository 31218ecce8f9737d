#include "console/FunctionButtons.h"

#include "console/CommandLog.h"
#include "console/ControlIds.h"
#include "console/Texts.h"
#include "ptz/PtzBase.h"
#include "ptz/PtzCodes.h"

const std::array<FunctionButton, 12> kFunctionButtons = {{
    {IDC_BTN_PRESET, QT_TRANSLATE_NOOP("COrvaneDlg", "PRESET"), PTZ_PRESET_SET, -1, true},
    {IDC_BTN_CALL, QT_TRANSLATE_NOOP("COrvaneDlg", "CALL"), PTZ_PRESET_CALL, -1, true},
    {IDC_BTN_DELETE, QT_TRANSLATE_NOOP("COrvaneDlg", "DELETE"), PTZ_PRESET_CLEAR3, -1, true},
    {IDC_BTN_SETAUX, QT_TRANSLATE_NOOP("COrvaneDlg", "SETAUX"), PTZ_AUX_SET, -1, true},
    {IDC_BTN_CLRAUX, QT_TRANSLATE_NOOP("COrvaneDlg", "CLRAUX"), PTZ_AUX_CLEAR, -1, true},
    {IDC_BTN_HOME, QT_TRANSLATE_NOOP("COrvaneDlg", "HOME"), PTZ_PRESET_CALL, 34, true},
    {IDC_BTN_MENU, QT_TRANSLATE_NOOP("COrvaneDlg", "MENU"), PTZ_PRESET_CALL, 95, false},
    {IDC_BTN_MEMORY, QT_TRANSLATE_NOOP("COrvaneDlg", "MEMORY"), PTZ_PRESET_CALL, 98, false},
    {IDC_BTN_SCAN, QT_TRANSLATE_NOOP("COrvaneDlg", "SCAN"), PTZ_PRESET_CALL, 99, false},
    {IDC_BTN_TOUR, QT_TRANSLATE_NOOP("COrvaneDlg", "TOUR"), PTZ_PRESET_CALL, 76, false},
    {IDC_BTN_STOP, QT_TRANSLATE_NOOP("COrvaneDlg", "STOP"), PTZ_PRESET_CALL, 96, false},
    {IDC_BTN_SHOT, QT_TRANSLATE_NOOP("COrvaneDlg", "SHOT"), -1, -1, false},
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
