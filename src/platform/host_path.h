// Paths on Win32. A path is a std::filesystem::path, which holds the wide
// text the system's wide-character functions take, whatever the ANSI code
// page can write (a Chinese folder on an English system); these are the
// conversions at its edges, to text and to the file functions.
#pragma once

#include <filesystem>
#include <string>

// Text in the ANSI code page, a character the code page lacks as the
// platform writes it there (for captions, never for paths).
std::string AnsiText(const std::wstring& text);
// Text in UTF-8.
std::string Utf8Text(const std::wstring& text);
// Text in the ANSI code page as wide text.
std::wstring WideText(const std::string& text);
// A path as a console message shows it: in the ANSI code page where that
// writes it exactly, else in UTF-8.
std::string MessagePath(const std::filesystem::path& path);
// The path with the \\?\ prefix when it is too long for the plain form, for
// the file functions (CreateFileW, MoveFileExW) that accept it.
std::wstring FileApiPath(const std::filesystem::path& path);
// Whether a path names a device rather than a file: a name the system keeps
// for one (COM1, AUX, NUL, CON...), or the device namespace (\\.\COM1,
// \\.\pipe\x, \\?\ followed by anything but a drive or UNC\).
bool IsDevicePath(const std::filesystem::path& path);
// Opens an existing regular file on a disk (CreateFileW, OPEN_EXISTING) with
// the access and sharing given. A device path is refused before it is
// opened, and what opens as a pipe or a character device is closed at once:
// for those, and for a folder, the result is INVALID_HANDLE_VALUE and the
// last error ERROR_BAD_FILE_TYPE, so that a caller never reads from
// something that may never answer.
void* OpenRegularFile(const std::filesystem::path& path, unsigned long access, unsigned long share);
// The full path of a loaded module, however long.
std::wstring ModuleFileName(void* module);
// Its folder, ending with the separator.
std::filesystem::path ModuleFolder(void* module);
