// Named profiles: the settings of a set-up (studio, field, a test bench)
// kept in the Profiles folder beside the module, one file a profile, in the
// encoding of Board.ini, so that a profile can be copied over Board.ini or
// applied as it is.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Why a name cannot name a profile's file on Windows, or nothing when it
// can: empty, over 64 characters, not UTF-8, a path separator or another
// character file names cannot hold, a trailing dot or space, or a reserved
// device name (CON, NUL, COM0 to COM9, LPT0 to LPT9 and the ports with a
// superscript ¹, ² or ³) with or without an extension.
std::optional<std::string> ProfileNameProblem(const std::string& name);

// The Profiles folder in the module's directory, ending in its separator.
std::filesystem::path ProfileFolder(const std::filesystem::path& directory);
// The file of a profile whose name (UTF-8) has no problem.
std::filesystem::path ProfilePath(const std::filesystem::path& directory, const std::string& name);
// The names of the profiles kept, sorted; false when the folder cannot be
// read (no folder: none).
bool ListProfiles(const std::filesystem::path& directory, std::vector<std::string>& names);
