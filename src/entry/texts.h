// The entry point's texts. The Chinese ones are GBK (code page 936) byte
// strings for the platform's byte-string functions; the comment beside each
// gives the text.
#pragma once

struct EntryTexts {
  const char* noBoard;
  const char* cannotOpenOnly;
  const char* cannotOpenChosen;  // %d: board number, from 1
  const char* dialogTitle;       // %d: board number, from 1
  const char* impossibleCount;   // %d: the board count the device library gave
  const char* noDeviceLibrary;
  const char* incompleteDeviceLibrary;  // %s: the function korvio.dll lacks
  const char* cannotOpenDialog;
};

// "没有安装Korvex板卡!", "无法初始化Kovrex板卡!" (the board's own spelling),
// "无法初始化Korvex板卡%d", "Korvex板卡设置(板卡%d)",
// "Korvex设备库报告有%d块板卡，这不可能!",
// "板卡的设备库korvio.dll未安装或不完整。",
// "板卡的设备库korvio.dll未安装或不完整(缺少%s)。", "无法打开配置对话框。"
constexpr EntryTexts kChineseTexts = {
    "\xC3\xBB\xD3\xD0\xB0\xB2\xD7\xB0"
    "Korvex"
    "\xB0\xE5\xBF\xA8"
    "!",
    "\xCE\xDE\xB7\xA8\xB3\xF5\xCA\xBC\xBB\xAF"
    "Kovrex"
    "\xB0\xE5\xBF\xA8"
    "!",
    "\xCE\xDE\xB7\xA8\xB3\xF5\xCA\xBC\xBB\xAF"
    "Korvex"
    "\xB0\xE5\xBF\xA8"
    "%d",
    "Korvex"
    "\xB0\xE5\xBF\xA8\xC9\xE8\xD6\xC3"
    "("
    "\xB0\xE5\xBF\xA8"
    "%d)",
    "Korvex"
    "\xC9\xE8\xB1\xB8\xBF\xE2\xB1\xA8\xB8\xE6\xD3\xD0"
    "%d"
    "\xBF\xE9\xB0\xE5\xBF\xA8\xA3\xAC\xD5\xE2\xB2\xBB\xBF\xC9\xC4\xDC"
    "!",
    "\xB0\xE5\xBF\xA8\xB5\xC4\xC9\xE8\xB1\xB8\xBF\xE2"
    "korvio.dll"
    "\xCE\xB4\xB0\xB2\xD7\xB0\xBB\xF2\xB2\xBB\xCD\xEA\xD5\xFB\xA1\xA3",
    "\xB0\xE5\xBF\xA8\xB5\xC4\xC9\xE8\xB1\xB8\xBF\xE2"
    "korvio.dll"
    "\xCE\xB4\xB0\xB2\xD7\xB0\xBB\xF2\xB2\xBB\xCD\xEA\xD5\xFB"
    "(\xC8\xB1\xC9\xD9"
    "%s)"
    "\xA1\xA3",
    "\xCE\xDE\xB7\xA8\xB4\xF2\xBF\xAA\xC5\xE4\xD6\xC3\xB6\xD4\xBB\xB0\xBF\xF2\xA1\xA3",
};

constexpr EntryTexts kEnglishTexts = {
    "No found Korvex board!",
    "Can not initial Korvex board!",
    "Can not initial Korvex board %d!",
    "Korvex Board Setup(Board%d)",
    "The Korvex device library reports %d boards, which is impossible!",
    "The board's device library korvio.dll is not installed or is incomplete.",
    "The board's device library korvio.dll is not installed or is incomplete (%s missing).",
    "The configuration dialog could not be opened.",
};

// The selection dialog's list entries and its one message are English in
// both languages.
constexpr const char* kCardEntryFormat = "Card %d";
constexpr const char* kMustSelectCard = "A card must be selected!";
