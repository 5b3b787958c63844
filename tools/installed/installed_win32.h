// The Win32 side of what the installed programs share: running korvctl
// with a time limit, and setting who may use a path.
#pragma once

#include <windows.h>

#include <string>

#include "file_store.h"
#include "installed.h"

// How a program ran.
struct ProgramRun {
  bool started = false;
  bool finished = false;  // false: it did not end within the time and was ended
  DWORD status = 0;       // its exit status when it finished
  std::string out, err;   // what it wrote, at most 4 MiB of each
  DWORD error = 0;        // why it did not start
};

// Runs a program by its full path with the arguments (a command line's
// tail, already quoted), with no window and no input, and waits at most
// timeoutMs, or until stop (when given) is signalled; a program still
// running then is ended: a call that hangs on a device cannot be ended
// any other way.
ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs,
                      HANDLE stop = nullptr);

// Gives the path the owner and DACL of GuardedSddl(what), the DACL
// protected from the folder above. Refuses a link or junction (a user may
// have put one where a folder is expected). False with the error.
bool GuardPath(const std::wstring& path, Guarded what, DWORD& error);

// The folder of the records (%ProgramData%\Korvex), made when missing and
// guarded; an empty path after an error.
std::wstring RecordFolder(DWORD& error);

// A wide text from UTF-8.
std::wstring WideFromUtf8(const std::string& text);

// A system error for a message: "error 5 (Access is denied.)".
std::string ErrorText(DWORD error);
