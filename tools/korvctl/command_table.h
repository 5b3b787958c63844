// korvctl's commands, a row each. korvctl --help, each command's --help and
// the check of the options a command takes are made from these rows
// (korvctl.cpp); the rows stand in the order korvctl --help lists them.
#pragma once

#include "commands.h"

struct Command {
  const char* synopsis;  // the command's name first: "show [--board N] [--json]"
  const char* summary;   // its line in korvctl --help
  unsigned options;      // the Options it takes
  bool asksBoards;       // it needs the device library
  int (*run)(Korvctl& k, const CommandLine& line);
  // The rest of its --help, after "usage: korvctl SYNOPSIS". {last} stands
  // for the settings sent last, {settings} for a line per settable setting
  // with what it takes.
  const char* help;
};

inline constexpr Command kCommands[] = {
    {"boards [--json]", "the boards, whether each opens, its type and SDI sub-board", kJson, true, BoardsCommand,
     "Counts the boards and opens each in turn: its index, whether it opens, its type number\n"
     "and whether the SDI sub-board is present. Status 1 when a board does not open.\n"},
    {"show [--board N] [--json]", "every setting of a board, by name, word and code", kBoardOption | kJson, true,
     ShowCommand,
     "Every setting of the board: its name, its word and its code, e.g.\n"
     "  video-source      cvbs2          (5)\n"
     "Status 1 when the board does not report a setting.\n"},
    {"get [--board N] NAME... [--json]", "the named settings only, as show prints them", kBoardOption | kJson, true,
     GetCommand,
     "The named settings only, one line each as show prints them. The names are checked\n"
     "before the board is asked: an unknown one is status 2. Status 1 when the board does\n"
     "not report a setting.\n"},
    {"set [--board N] NAME=VALUE ...", "changes settings; {last} go last", kBoardOption, true, SetCommand,
     "Every pair is checked before anything is sent; they go out with {last}\n"
     "last. VALUE is a word or its code. The settings and what they take:\n"
     "{settings}"},
    {"defaults save|restore|factory [--board N | --all-boards] [--file PATH] [--verify [--json]]",
     "the user's defaults in Board.ini, or the factory values",
     kBoardOption | kAllBoards | kJson | kFile | kVerify, true, DefaultsCommand,
     "  save      reads the board's settings and writes them to the file\n"
     "  restore   applies the file's settings, or the factory values when there is no file;\n"
     "            a file that cannot be read sends nothing (status 1), nor one with values\n"
     "            the settings do not take (status 2)\n"
     "  factory   applies the factory values\n"
     "The file is Board.ini beside korvctl.exe, which the configuration dialog shares, unless\n"
     "--file names another. At start-up: korvctl defaults restore --all-boards\n"
     "--verify (restore and factory) sends only what differs, reads the board back and\n"
     "reports each setting as apply does, --json as one document; status 1 when a setting\n"
     "was refused or drifted.\n"},
    {"picture clear|100-0-100-00|100-0-100-25|100-0-75-00|alpha [--file TGA] [--board N]",
     "a test picture on the board's output", kBoardOption | kFile, true, PictureCommand,
     "  clear          blanks the output\n"
     "  100-0-...      sends that colour-bar frame\n"
     "  alpha          writes the alpha test frame into the board's frame memory, from\n"
     "                 TestAlpha.tga beside korvctl.exe or the file --file names\n"},
    {"apply FILE [--board N | --all-boards] [--check] [--json]",
     "brings boards to a file's settings, sending what differs", kBoardOption | kAllBoards | kJson | kCheck, true,
     ApplyCommand,
     "Brings the board to the settings FILE names: a Board.ini (any name), or JSON as show\n"
     "--json prints it, naming some or all settings by code, word or both. The file is\n"
     "checked first; the board is read, only the settings that differ are sent\n"
     "({last} last) and the board is read back. Each setting is\n"
     "reported as unchanged, changed, refused (the board said no) or drifted (the board took\n"
     "it but reports another value). --check sends nothing and lists what differs. --json\n"
     "prints one document: {\"changed\": true|false, \"boards\": [...]}.\n"
     "Exit status: 0 every board matches the file; 1 something was refused or drifted, or a\n"
     "board did not open; 2 a bad command line or file (nothing was sent); 3 with --check,\n"
     "a board differs from the file.\n"},
    {"report [--out FILE]", "everything support asks for, as one JSON document", kOut, false, ReportCommand,
     "One JSON document for support: the versions of korvctl.exe, korvcfg.dll and the bound\n"
     "korvio.dll, the architecture and Windows version, the module's folder and whether it can\n"
     "be written, Board.ini (its bytes and its record), and every board: whether it opens, its\n"
     "type, SDI sub-board, every setting and how it differs from the defaults. It only reads:\n"
     "nothing is sent to a board. With --out it goes to FILE, else to standard output:\n"
     "never over Board.ini or into the Profiles folder, nor to a folder, a device or a\n"
     "pipe (status 2, nothing written); status 1 when FILE cannot be written.\n"},
    {"list [--json]", "the settings as data: names, values, factory values, labels", kJson, false, ListCommand,
     "Every setting as data, from the module's settings table: its name, its device name, its\n"
     "words and codes or its range, its factory value, whether it can be set, and its label\n"
     "in the configuration dialog in English and in Simplified Chinese, from korvcfg.dll\n"
     "beside korvctl.exe (null when it is not there). The JSON carries \"schema\": 1. It asks\n"
     "no board.\n"},
    {"profile save|apply|list|show|delete [NAME]", "named settings in the Profiles folder beside korvctl",
     kBoardOption | kAllBoards | kJson | kCheck, true, ProfileCommand,
     "Named settings in the Profiles folder beside korvctl.exe, one file NAME.ini each, in\n"
     "Board.ini's encoding (so one may be copied over Board.ini or given to apply).\n"
     "  save NAME [--board N]    writes the board's settings (the file replaced in one step)\n"
     "  apply NAME [--board N | --all-boards] [--check] [--json]   as apply does\n"
     "  list [--board N]         each profile, when it was written, how it differs from the board\n"
     "                           or why it is invalid (what show and apply refuse)\n"
     "  show NAME                the profile's settings\n"
     "  delete NAME              removes it\n"
     "A name has 1 to 64 characters, none of / \\ : * ? \" < > |, does not end in a dot or\n"
     "a space, and is no device name such as CON, NUL, COM1 or LPT1.\n"},
};
