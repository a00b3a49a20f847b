// Command identifiers of the menu and the accelerators. Plain macros: the resource script
// includes this file too.
#pragma once

#define IDM_OPEN 40003
#define IDM_FIND 10002
#define IDM_EDITOR 10001
#define IDM_EXIT 10003
#define IDM_FONT 20001
#define IDM_NUMBER_LINE 20009
#define IDM_TAB4 20002
#define IDM_WORD_WRAP 20008
#define IDM_BLACK_BACK 20003
#define IDM_CODE_AUTO 20004
#define IDM_CODE_SHIFTJIS 20005
#define IDM_CODE_UTF8 20006
#define IDM_CODE_UTF16LE 20007
#define IDM_COPY 32770
#define IDM_PREV_FILE 32771
#define IDM_NEXT_FILE 32772
// These equal the virtual-key codes of their keys.
#define IDM_KEY_RETURN 13
#define IDM_KEY_ESCAPE 27
#define IDM_KEY_SPACE 32
#define IDM_KEY_F3 114
#define IDM_KEY_ADD 107
#define IDM_KEY_SUBTRACT 109

#define IDI_VAM_LARGE 101
#define IDI_VAM_SMALL 102

// The views' child identifier.
#define VIEW_CHILD_ID 100
