// The few file operations the settings file, korvctl and the simulator
// need: reading a whole small file, and replacing a file in one step. file_store_posix.cpp implements
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

// Why a file operation failed, as far as it is known.
enum class FileFailure {
  kNone,
  kNotFound,      // there is no file at the path
  kNotAFile,      // a folder, a device (COM1, AUX, \\.\COM1), a pipe: refused at once, never read
  kTooLarge,      // above the limit the caller gave
  kAccessDenied,  // the user may not
  kInUse,         // another program has it open and does not share it
  kReadOnly,      // the file or the disk is read-only
  kDiskFull,
  kStillThere,    // a removal the system said was done, yet the file is there
  kOther,
};
// A plain English phrase for a failure, for korvctl's messages: "access is
// denied", "it is in use by another program"...
const char* FileFailureText(FileFailure failure);

// The whole of a regular file, when it holds at most limit bytes, which is
// seen from its size before anything is read. Only a regular file is opened
// for reading: a folder, a device or a pipe is refused as kNotAFile without
// a byte read, so that no read can wait for data that never comes.
// kNone when read; kNotFound when there is no file.
FileFailure ReadFileBytes(const std::filesystem::path& path, size_t limit, std::string& bytes);
// The same, but that a missing file gives true and an empty text; `why`,
// when given, gets the reason of a failure.
bool ReadWholeFile(const std::filesystem::path& path, size_t limit, std::string& text, FileFailure* why = nullptr);
// What is at a path, without opening it for reading: kNone for a regular
// file, kNotFound for nothing, kNotAFile for a folder, a device or a pipe.
// For a command that must refuse such a name before it opens a board.
FileFailure CheckRegularFile(const std::filesystem::path& path);
// The size of a file; nothing when there is none at path.
std::optional<unsigned long long> FileSize(const std::filesystem::path& path);
// When a file was last written, in seconds since 1970 (UTC); nothing when
// there is none at path.
std::optional<long long> FileWritten(const std::filesystem::path& path);
// Whether two paths name the same file or folder: the same file where both
// exist (whatever links, short names, case or ".." lead there), else the
// same name (in any case on Win32) in the same folder. For refusing to write
// over a file that must be kept, such as Board.ini or a profile.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The names of the files in folder whose names end in suffix, sorted: in
// UTF-8 on Win32, natively as the system gives them. A missing folder gives true and none; false when
// the folder cannot be read.
bool ListFiles(const std::filesystem::path& folder, const std::string& suffix, std::vector<std::string>& names);
// Removes one regular file; false when there is none (kNotFound), it is no
// file (kNotAFile), or it cannot be removed, or is still there afterwards.
bool RemoveFile(const std::filesystem::path& path, FileFailure* why = nullptr);
// Makes a folder unless there is one; false when it cannot (a file of that
// name is kNotAFile).
bool MakeFolder(const std::filesystem::path& path, FileFailure* why = nullptr);

// Writes text to a new file of a name of its own in the same folder (path
// followed by TempFileSuffix), then puts it in path's place in one step,
// keeping the old file's permissions. A file at path that is read-only (no
// write permission at all, or the read-only attribute) or that the user may
// not write is left alone, and so is anything at path that is not a regular
// file (kNotAFile). On Win32, where another process that merely has the file
// open blocks the replacement for a while, it is tried again for about a
// second, and then fails as kInUse. Every failure leaves the old file as it
// was, removes the new one, and gives false. On Win32 the new file takes the
// old one's DACL; an existing file that the user may change in a folder where
// they may not add a file, or any existing file when the process's writes
// would be redirected to the VirtualStore, is rewritten in place instead
// (grown to the new size first, so a full disk changes nothing; an
// interrupted write can leave it torn). Before it writes, it removes the new
// files that earlier saves of path left behind when their process ended
// mid-save; those of a process that still runs stay.
// `why`, when given, gets the reason of a failure as far as it is known.
bool ReplaceWholeFile(const std::filesystem::path& path, const std::string& text, FileFailure* why = nullptr);

// The end of the name of a save's new file: ".<process id>-<count>.tmp".
std::string TempFileSuffix(unsigned long pid, unsigned count);
// The process id in such an end of a name; nothing for anything else
// (another shape, a process id of 0 or beyond 32 bits).
std::optional<unsigned long> TempFileOwner(std::string_view suffix);
