#pragma once

// What a press of a button with `code` and any release send through
// g_pPtz, without a widget: the driver call, the record, the wake-up of the
// log thread. Nothing happens without a driver or for a code outside 0..13.
void HoldPress(int code);
void HoldRelease();
