// What the installed programs (the boot restore korvboot.exe and the
// installer's actions korvmsi.dll) share: names, and who may do what with
// the files users save into the program folder. Portable.
#pragma once

#include <string>

#include "board_settings.h"
#include "wanted_settings.h"

// The boot restore's service: one name per architecture, so that both
// packages can be installed on one machine. On 64-bit Windows the 32-bit one
// stands down when the 64-bit one is installed.
#define KORV_BOOT_SERVICE_64 L"korvboot"
#define KORV_BOOT_SERVICE_32 L"korvboot32"
// The event source, and the record under %ProgramData%.
#define KORV_EVENT_SOURCE L"korvcfg"
#define KORV_RECORD_FOLDER L"Korvex"
#define KORV_RECORD_FILE L"boot-restore.json"

// The paths whose access the installer sets.
enum class Guarded {
  kBoardIni,   // Board.ini: every local user may change it
  kProfiles,   // the Profiles folder: every local user may add, change and remove profiles
  kRecords,    // %ProgramData%\Korvex: written by the system only, read by every user
};

// The whole security descriptor of such a path, in SDDL: owner
// Administrators, and a protected DACL (nothing inherited from the program
// folder) giving SYSTEM and Administrators full control and the local Users
// group modify (Board.ini, Profiles) or read (the records); a folder's
// entries are inherited by what is made in it.
std::string GuardedSddl(Guarded what);

// The defaults a profile leaves: the settings it names over the current
// record, the rest as they were.
BoardSettings DefaultsWithProfile(BoardSettings current, const WantedSettings& profile);
