#pragma once

#include <array>
#include <cstdint>

class PtzBase;

// The one-shot buttons of the keyboard group. Each sends one PresetAction
// with a fixed operation; its number is either fixed or the Preset ID
// selection.
struct FunctionButton {
    int id;               // control id
    const char* caption;  // English; the dialog shows its translation
    int op;               // PresetAction operation; -1: the button sends nothing
    int fixedPreset;      // -1: the Preset ID selection gives the number
    bool readsFields;     // the handler runs the field-to-member transfer first
};

extern const std::array<FunctionButton, 12> kFunctionButtons;

// The table entry of a control id, or null.
const FunctionButton* FindFunctionButton(int id);

// Sends the button's command through the driver. False when nothing was sent:
// a button without an operation, or a button that needs a preset while none is
// selected (presetId below 0).
bool SendFunctionCommand(PtzBase& driver, const FunctionButton& button, int presetId);
