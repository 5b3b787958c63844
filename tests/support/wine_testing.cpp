#include "wine_testing.h"

#include "host_path.h"

std::wstring ProgramFolder() {
  const std::wstring self = ModuleFileName(nullptr);
  return self.substr(0, self.find_last_of(L'\\') + 1);
}

std::string ProgramFolderA() { return HostPathString(ProgramFolder()); }
