// File paths as the module's strings carry them on Win32.
//
// A path that the system's ANSI code page can write is held in that code
// page's bytes, as the platform's byte-string functions take it, so such a
// path behaves as it always has. Any other path (a Chinese folder on an
// English system) is held as a NUL byte followed by the path in UTF-8; a
// byte-string function handed such a string sees an empty path and finds no
// file, never a wrong one. Our own file functions take either form.
#pragma once

#include <string>

// The module's string for a path from the platform's wide-character
// functions.
std::string HostPathString(const std::wstring& path);
// Whether the string holds the path in the ANSI code page (not marked).
bool IsAnsiPath(const std::string& path);
// Text in the ANSI code page, a character the code page lacks as the
// platform writes it there (for captions, never for paths).
std::string AnsiText(const std::wstring& text);
// Text in UTF-8.
std::string Utf8Text(const std::wstring& text);
// The path as the wide-character functions take it.
std::wstring WidePath(const std::string& path);
// The same, with the \\?\ prefix when it is too long for the plain form, for
// the file functions (CreateFileW, MoveFileExW) that accept it.
std::wstring FileApiPath(const std::string& path);
// The full path of a loaded module, however long.
std::wstring ModuleFileName(void* module);
// Its folder, ending with the separator.
std::wstring ModuleFolder(void* module);
