// A folder of its own for a native test: new, in the temporary folder, and
// removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>

class TempFolder {
 public:
  TempFolder();  // throws when no folder can be made
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }  // ends with a slash
  // As a path: the same interface as the Win32 TempFolder's, for the tests
  // that run in every tree.
  std::filesystem::path Folder() const { return path_; }

 private:
  std::string path_;
};
