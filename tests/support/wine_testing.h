// What every Wine test program has: main() (wine_test_main.cpp), the
// program's folder and folders of its own (wine_testing.cpp).
#pragma once

#include <filesystem>
#include <string>

// The test program's folder, ending with a backslash, as the module's own
// folder is; the built DLLs and TestAlpha.tga are there.
std::wstring ProgramFolder();

// The bytes of a file, through the wide-character file functions (so a path
// with the \\?\ prefix works); empty where it cannot be opened.
std::string FileBytes(const std::wstring& path);

// A new folder of the test's own in the temporary folder, named
// korv-<process id>-<n> and then suffix (such as characters to test paths
// with); removed with what it holds at the end, except where a DLL loaded
// from it is still loaded: then the folder stays with what is left in it.
// Throws when no folder can be made.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& suffix = L"");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& Path() const { return path_; }  // ends with a backslash
  std::filesystem::path Folder() const { return path_; }  // the same as a path

 private:
  std::wstring path_;
};
