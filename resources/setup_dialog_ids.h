// Control ids of the setup program's dialogs, shared by their templates and procedures (plain
// macros: the resource compiler reads this file too).
#pragma once

// SETUPDLG: format check boxes (slot i is KUB_SETUP_FORMAT_FIRST + i for slots 0 to 12; Z and XZ
// are the other way round).
#define KUB_SETUP_KUB 5101
#define KUB_SETUP_ZIP 5102
#define KUB_SETUP_CAB 5103
#define KUB_SETUP_ARJ 5104
#define KUB_SETUP_LZH 5105
#define KUB_SETUP_ACE 5106
#define KUB_SETUP_7Z 5107
#define KUB_SETUP_TAR 5108
#define KUB_SETUP_GZ 5109
#define KUB_SETUP_UUE 5110
#define KUB_SETUP_BZ2 5111
#define KUB_SETUP_JAR 5112
#define KUB_SETUP_ISO 5113
#define KUB_SETUP_XZ 5114
#define KUB_SETUP_Z 5115
#define KUB_SETUP_DESKTOP 5116
#define KUB_SETUP_START_MENU 5117
#define KUB_SETUP_PROGRAMS 5118
#define KUB_SETUP_SHELL_EXT 5119
#define KUB_SETUP_CASCADED 5120
#define KUB_SETUP_MENU_ICONS 5121
#define KUB_SETUP_SELECT_ALL 5122
#define KUB_SETUP_TEXT 5123
#define KUB_SETUP_MENU_ITEMS 5124
#define KUB_SETUP_HELP 9

// SETUPCONTEXTITEMS: the check boxes are 101 to 114.
#define KUB_MENU_ITEM_FIRST 101
#define KUB_MENU_ITEM_LAST 114

// DONEDLG: the installation folder, the help and home page buttons, the closing line.
#define KUB_DONE_FOLDER 5101
#define KUB_DONE_HELP 5102
#define KUB_DONE_HOME_PAGE 5105
#define KUB_DONE_THANKS 5106
