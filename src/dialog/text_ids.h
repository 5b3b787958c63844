// Ids of the module's texts, shared by the string tables (texts.rc) and the
// code. Each id stands in both languages' tables. Plain defines, because the
// resource compiler reads this file too.
#ifndef KORV_TEXT_IDS_H
#define KORV_TEXT_IDS_H

// The configuration run.
#define IDS_NO_BOARD 100
#define IDS_CANNOT_OPEN_ONLY 101
#define IDS_CANNOT_OPEN_CHOSEN 102  // %d: board number, from 1
#define IDS_DIALOG_TITLE 103        // %d: board number, from 1
#define IDS_IMPOSSIBLE_COUNT 104    // %d: the board count the device library gave
#define IDS_NO_DEVICE_LIBRARY 105
#define IDS_INCOMPLETE_DEVICE_LIBRARY 106  // %s: the functions korvio.dll lacks
#define IDS_CANNOT_OPEN_DIALOG 107
#define IDS_LIBRARY_FOLDERS 108  // the folders follow, a line each
#define IDS_AND_MORE 109         // %d: how many more functions are missing

// The dialog layer's own messages.
#define IDS_OUT_OF_MEMORY 110
#define IDS_UNEXPECTED_ERROR 111
#define IDS_DEVICE_LIBRARY_FAULT 112  // %1: the function of korvio.dll, %2: the exception

// The configuration dialog.
#define IDS_CANNOT_SAVE 120  // the file's path follows
#define IDS_NOT_REPORTED 121
#define IDS_REFUSED 122  // the refused settings follow, a line each
#define IDS_NO_FRAME_MEMORY 123
#define IDS_PICTURE_TOO_LARGE 124
#define IDS_TGA_UNREADABLE 125  // the file's path follows
#define IDS_SETTING_REFUSED 126  // %1: the setting, %2: the value, as the dialog names them
// Why a save failed, after IDS_CANNOT_SAVE and the path.
#define IDS_SAVE_ACCESS_DENIED 127
#define IDS_SAVE_READ_ONLY 128
#define IDS_SAVE_DISK_FULL 129
// Restore Default with defaults that cannot be sent: the file's path follows,
// then the reason (one of the texts below) or the settings, a line each.
#define IDS_DEFAULTS_UNREADABLE 130
#define IDS_DEFAULTS_OUT_OF_RANGE 131
// Why a file was not read or written, after its path.
#define IDS_FILE_NOT_A_FILE 132
#define IDS_FILE_TOO_LARGE 133
#define IDS_FILE_IN_USE 134
#define IDS_FILE_NO_RECORD 135
#define IDS_FILE_BAD_RECORD 136

#endif
