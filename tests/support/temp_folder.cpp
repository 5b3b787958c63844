#include "temp_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "korv-XXXXXX").string();
  if (!mkdtemp(&pattern[0])) throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
  path_ = pattern + "/";
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
