#pragma once

#include <cstdint>

// What a press of a button with `code` and any release send through
// g_pPtz, without a widget: the driver call, the record, the hand-over to the
// log thread. Nothing happens without a driver or for a code outside 0..13.
// All on the dialog's thread.

// Starts a hold; true when the start went to the driver, which makes a hold
// under way until its stop.
bool HoldPress(int code);
// The general stop; ends the hold under way.
void HoldRelease();
// A hold under way: its start went to the driver and its stop did not yet.
bool HoldUnderWay();
// Sends the stop of the hold under way, if there is one: for whatever ends a
// hold other than its release (another mouse button, focus lost, a prompt, a
// replay, a close, the driver being replaced). True when a stop went out.
bool EndHold();
// The speed a direction press sends: the control rate, at most the driver's
// top speed, never wrapped.
uint32_t HoldSpeed(uint32_t ctrlRate, uint32_t topSpeed);
