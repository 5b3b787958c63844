// On Win32 korvcfg.dll binds the board's device library when a run starts,
// not when the module is loaded, so that the module loads (and can tell the
// user) when the board's driver is not installed. The Orbel_ functions of
// korvio.h are then ours: each calls the function of the same name in the
// bound korvio.dll.
#pragma once

#include <string>

// Loads korvio.dll and finds every Orbel_ function the module calls. The
// library is the one the loader would have bound to an import of the module:
// one the process has loaded already, else the one beside the module
// (moduleDirectory, ending in a backslash), else the one of the standard
// search (beside the host program, the system folders, the search path).
// True once every function is bound; later calls then return true at once.
// False when the library cannot be loaded (missing is null) or lacks a
// function (missing names it); nothing stays bound then, and the next call
// tries again.
bool BindDeviceLibrary(const std::wstring& moduleDirectory, const char*& missing);
