// The few file operations the settings file needs: reading a whole small
// file, and replacing a file in one step. file_store_posix.cpp implements
// them with the C library and POSIX, file_store_win32.cpp with the
// platform's wide-character functions, long paths with the \\?\ prefix;
// file_store.cpp holds what both share.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The whole file; a missing file gives true and an empty text. False when
// the file cannot be read or holds more than limit bytes, which is seen from
// its size before anything is read.
bool ReadWholeFile(const std::filesystem::path& path, size_t limit, std::string& text);
// The size of a file; nothing when there is none at path.
std::optional<unsigned long long> FileSize(const std::filesystem::path& path);
// When a file was last written, in seconds since 1970 (UTC); nothing when
// there is none at path.
std::optional<long long> FileWritten(const std::filesystem::path& path);

// The names of the files in folder whose names end in suffix, sorted: in
// UTF-8 on Win32, natively as the system gives them. A missing folder gives true and none; false when
// the folder cannot be read.
bool ListFiles(const std::filesystem::path& folder, const std::string& suffix, std::vector<std::string>& names);
// Removes one file; false when there is none or it cannot be removed.
bool RemoveFile(const std::filesystem::path& path);
// Makes a folder unless there is one; false when it cannot.
bool MakeFolder(const std::filesystem::path& path);

// Writes text to a new file of a name of its own in the same folder (path
// followed by TempFileSuffix), then puts it in path's place in one step,
// keeping the old file's permissions. A file at path that is read-only (no
// write permission at all, or the read-only attribute) or that the user may
// not write is left alone. On Win32, where another process that merely has
// the file open blocks the replacement for a while, it is tried again for
// about a second. Every failure leaves the old file as it was, removes the
// new one, and gives false. On Win32 the new file takes the old one's DACL;
// an existing file that the user may change in a folder where they may not
// add a file, or any existing file when the process's writes would be
// redirected to the VirtualStore, is rewritten in place instead (grown to
// the new size first, so a full disk changes nothing; an interrupted write
// can leave it torn). Before it writes, it removes the new files that
// earlier saves of path left behind when their process ended mid-save;
// those of a process that still runs stay.
// `why`, when given, gets the reason of a failure as far as it is known.
enum class WriteFailure { kNone, kAccessDenied, kReadOnly, kDiskFull, kOther };
bool ReplaceWholeFile(const std::filesystem::path& path, const std::string& text, WriteFailure* why = nullptr);

// The end of the name of a save's new file: ".<process id>-<count>.tmp".
std::string TempFileSuffix(unsigned long pid, unsigned count);
// The process id in such an end of a name; nothing for anything else
// (another shape, a process id of 0 or beyond 32 bits).
std::optional<unsigned long> TempFileOwner(std::string_view suffix);
