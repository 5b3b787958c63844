// Named profiles: the settings of a set-up (studio, field, a test bench)
// kept in the Profiles folder beside the module, one file a profile, in the
// encoding of Board.ini, so that a profile can be copied over Board.ini or
// applied as it is.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Why a name cannot name a profile's file on Windows, or nothing when it
// can: empty, over 64 characters, not UTF-8, a path separator or another
// character file names cannot hold, a trailing dot or space, or a reserved
// device name (CON, NUL, COM1...) with or without an extension.
std::optional<std::string> ProfileNameProblem(const std::string& name);

// The Profiles folder beside the module; directory ends in its separator,
// and so does the result.
std::string ProfileFolder(const std::string& directory);
// The file of a profile whose name has no problem.
std::string ProfilePath(const std::string& directory, const std::string& name);
// The names of the profiles kept, sorted; false when the folder cannot be
// read (no folder: none).
bool ListProfiles(const std::string& directory, std::vector<std::string>& names);
