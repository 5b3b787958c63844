// On Win32 korvcfg.dll binds the board's device library when a run starts,
// not when the module is loaded, so that the module loads (and can tell the
// user) when the board's driver is not installed. The Orbel_ functions of
// korvio.h are then ours: each calls the function of the same name in the
// bound korvio.dll.
#pragma once

#include <string>
#include <vector>

// The folders where korvio.dll is looked for, in order, each ending in a
// backslash and named once: beside the module (moduleDirectory, ending in a
// backslash), beside the host program, and the system folder of the
// process's architecture. Never the current folder, never PATH.
std::vector<std::wstring> DeviceLibraryFolders(const std::wstring& moduleDirectory);

// korvio.dll (an HMODULE, null when there is none): one the process has
// loaded already, else the first of DeviceLibraryFolders that loads, by its
// full path, its own imports coming from its own folder. The caller frees it.
void* LoadDeviceLibrary(const std::wstring& moduleDirectory);

// Loads korvio.dll as LoadDeviceLibrary does and finds every Orbel_ function
// the module calls. True once every function is bound; later calls then
// return true at once. False when there is no library (missing is empty) or
// it lacks functions (missing names them, in the order of korvio.h);
// nothing stays bound then, and the next call tries again.
bool BindDeviceLibrary(const std::wstring& moduleDirectory, std::vector<const char*>& missing);
