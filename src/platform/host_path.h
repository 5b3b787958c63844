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
// The full path of a loaded module, however long.
std::wstring ModuleFileName(void* module);
// Its folder, ending with the separator.
std::filesystem::path ModuleFolder(void* module);
