#pragma once
// Ids of the main window's child controls and of its system-menu item.

constexpr int IDC_MOUSE = 1001;
constexpr int IDC_KEYBOARD = 1002;
constexpr int IDC_RECORD = 1003;
constexpr int IDC_RECORD_STOP = 1004;
constexpr int IDC_SPEED = 1005;
constexpr int IDC_SPEED_SPIN = 1006;
constexpr int IDC_LOOP = 1007;
constexpr int IDC_PLAY = 1008;
constexpr int IDC_PLAY_STOP = 1009;
constexpr int IDC_EVENT_COUNT = 1010;
constexpr int IDC_SAVE = 1011;
constexpr int IDC_LOAD = 1012;
constexpr int IDC_CLEAR = 1013;
constexpr int IDC_EVENT_LIST = 1014;
constexpr int IDC_STATUS = 1015;
constexpr int IDC_COUNT_LABEL = 1016;
constexpr int IDC_COUNT = 1017;
constexpr int IDC_COUNT_SPIN = 1018;
constexpr int IDC_CLICK_FIDELITY = 1019;
constexpr int IDC_CHECK_UPDATE = 1020;

constexpr int IDC_GROUP_CAPTURE = 2001;
constexpr int IDC_GROUP_RECORD = 2002;
constexpr int IDC_GROUP_PLAYBACK = 2003;
constexpr int IDC_SPEED_LABEL = 2004;
constexpr int IDC_GROUP_SCRIPT = 2005;
constexpr int IDC_GROUP_EVENTS = 2006;

// System-menu command "在线更新(&U)..."; system commands carry it in the bits above the low four.
constexpr unsigned IDM_CHECK_UPDATE = 0x0BC0;
// System-menu command "设置(&S)...", above the update item.
constexpr unsigned IDM_SETTINGS = 0x0BD0;
// The system menu's 暂停回放 / 继续回放.
constexpr unsigned IDM_PAUSE_PLAYBACK = 0x0BE0;
// The system menu's 脚本库(&L)....
constexpr unsigned IDM_LIBRARY = 0x0C40;

// Commands of the event list's context menu and keys.
constexpr int IDM_EDIT_DELETE = 3001;
constexpr int IDM_EDIT_SET_DELAY = 3002;
constexpr int IDM_EDIT_TRIM_START = 3003;
constexpr int IDM_EDIT_PLAY_FROM = 3004;
constexpr int IDM_EDIT_UNDO = 3005;
constexpr int IDM_EDIT_INSERT_TEXT = 3006;
constexpr int IDM_EDIT_TEXT = 3007;
// 插入等待 ▸ of the list's context menu (wait_step_commands.cpp).
constexpr int IDM_WAIT_WINDOW = 3121;
constexpr int IDM_WAIT_COLOUR = 3122;
constexpr int IDM_WAIT_PICTURE = 3123;
// The editor's commands (numbered apart from the ones above).
constexpr int IDM_EDIT_MOVE_UP = 3101;
constexpr int IDM_EDIT_MOVE_DOWN = 3102;
constexpr int IDM_EDIT_CUT = 3103;
constexpr int IDM_EDIT_COPY = 3104;
constexpr int IDM_EDIT_PASTE = 3105;
constexpr int IDM_EDIT_REDO = 3106;
constexpr int IDM_EDIT_GO_TO = 3107;
constexpr int IDM_EDIT_INSERT_KEY = 3108;
constexpr int IDM_EDIT_INSERT_CLICK = 3109;
constexpr int IDM_EDIT_INSERT_DELAY = 3110;
constexpr int IDM_EDIT_INSERT_SCRIPT = 3111;
constexpr int IDM_EDIT_STEP = 3112;
