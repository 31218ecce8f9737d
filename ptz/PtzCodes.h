#pragma once

// Operation codes: the first argument of the driver operations. The console
// buttons pass the same numbers.
inline constexpr int PTZ_LEFT = 0;
inline constexpr int PTZ_RIGHT = 1;
inline constexpr int PTZ_UP = 2;
inline constexpr int PTZ_DOWN = 3;
inline constexpr int PTZ_LEFT_UP = 4;
inline constexpr int PTZ_RIGHT_UP = 5;
inline constexpr int PTZ_LEFT_DOWN = 6;
inline constexpr int PTZ_RIGHT_DOWN = 7;
inline constexpr int PTZ_ZOOM_TELE = 8;
inline constexpr int PTZ_ZOOM_WIDE = 9;
inline constexpr int PTZ_FOCUS_NEAR = 10;
inline constexpr int PTZ_FOCUS_FAR = 11;
inline constexpr int PTZ_IRIS_CLOSE = 12;
inline constexpr int PTZ_IRIS_OPEN = 13;
inline constexpr int PTZ_STOP = 14;
inline constexpr int PTZ_ZOOM_STOP = 15;
inline constexpr int PTZ_FOCUS_STOP = 16;
inline constexpr int PTZ_IRIS_STOP = 17;
inline constexpr int PTZ_PRESET_SET = 96;
inline constexpr int PTZ_PRESET_CALL = 97;
inline constexpr int PTZ_PRESET_CLEAR = 98;
inline constexpr int PTZ_PRESET_CLEAR2 = 99;   // synonym of PTZ_PRESET_CLEAR
inline constexpr int PTZ_PRESET_CLEAR3 = 100;  // synonym of PTZ_PRESET_CLEAR
inline constexpr int PTZ_AUX_SET = 101;
inline constexpr int PTZ_AUX_CLEAR = 102;
inline constexpr int PTZ_AUTO_SCAN_ON = 112;
inline constexpr int PTZ_AUTO_SCAN_OFF = 113;
inline constexpr int PTZ_AUTO_SCAN_STOP = 115;
inline constexpr int PTZ_SWITCH = 131;
