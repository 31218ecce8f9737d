#pragma once

#include <cstdint>

// Resource and control ids of the main dialog and the About box. The numbers
// are the ones the dialog template was laid out with; the control tables of
// the dialog and the console key on them.

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_ORVANE_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128;

// Command id of the About entry in the dialog's menu.
inline constexpr uint32_t IDM_ABOUTBOX = 0x0010;

// Dialog-thread counterpart of a semaphore release (no sender in this program).
inline constexpr uint32_t WM_LOGCOMMAND = 0x0400 + 100;

inline constexpr int IDC_COMBO_COM = 1000;
inline constexpr int IDC_COMBO_BAUDRATE = 1001;
inline constexpr int IDC_COMBO_DATABIT = 1002;
inline constexpr int IDC_COMBO_STOPBIT = 1003;
inline constexpr int IDC_COMBO_PARITY = 1004;
inline constexpr int IDC_EDIT_CONFIGPATH = 1005;
inline constexpr int IDC_BTN_BROWSE = 1006;
inline constexpr int IDC_BTN_SAVE = 1007;
inline constexpr int IDC_BTN_UP = 1008;
inline constexpr int IDC_BTN_DOWN = 1009;
inline constexpr int IDC_BTN_LEFT = 1010;
inline constexpr int IDC_BTN_RIGHT = 1011;
inline constexpr int IDC_BTN_LU = 1012;
inline constexpr int IDC_BTN_RU = 1013;
inline constexpr int IDC_BTN_LD = 1014;
inline constexpr int IDC_BTN_RD = 1015;
inline constexpr int IDC_BTN_WIDE = 1016;
inline constexpr int IDC_BTN_TELE = 1017;
inline constexpr int IDC_BTN_FAR = 1018;
inline constexpr int IDC_BTN_NEAR = 1019;
inline constexpr int IDC_BTN_OPEN = 1020;
inline constexpr int IDC_BTN_CLOSE = 1021;
inline constexpr int IDC_BTN_PRESET = 1022;
inline constexpr int IDC_BTN_SHOT = 1023;
inline constexpr int IDC_COMBO_PRESETID = 1024;
inline constexpr int IDC_BTN_OPENPORT = 1025;
inline constexpr int IDC_EDIT_HEXCOMMAND = 1026;
inline constexpr int IDC_BTN_SEND = 1027;
inline constexpr int IDC_BTN_AUTOSTART = 1028;
inline constexpr int IDC_COMBO_PTZMODEL = 1029;
inline constexpr int IDC_COMBO_PTZADDRESS = 1030;
inline constexpr int IDC_LIST_COMMANDS = 1032;
inline constexpr int IDC_BTN_CALL = 1033;
inline constexpr int IDC_EDIT_CMDINTERVAL = 1034;
inline constexpr int IDC_BTN_CLEAR = 1035;
inline constexpr int IDC_EDIT_CTRLRATE = 1036;
inline constexpr int IDC_BTN_SCAN = 1037;
inline constexpr int IDC_BTN_STOP = 1038;
inline constexpr int IDC_BTN_MEMORY = 1039;
inline constexpr int IDC_BTN_MENU = 1040;
inline constexpr int IDC_BTN_TOUR = 1041;
inline constexpr int IDC_BTN_HOME = 1042;
inline constexpr int IDC_BTN_DELETE = 1043;
inline constexpr int IDC_BTN_CLRAUX = 1044;
inline constexpr int IDC_BTN_SETAUX = 1045;
// Opens the ports dialog; in no enable group, as binding never touches an open port.
inline constexpr int IDC_BTN_PORTS = 1046;
// Open the line monitor (in no enable group: it watches a closed port too)
// and the camera scan (port group: it needs the open port).
inline constexpr int IDC_BTN_MONITOR = 1060;
inline constexpr int IDC_BTN_FINDCAMERA = 1061;
