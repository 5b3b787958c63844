// The module object: what the library knows about itself from the moment it
// is loaded until it is unloaded.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

struct ConfigApp {
  // Full directory of korvcfg.dll (not of the host), ending in a backslash;
  // empty if the module path holds none.
  std::filesystem::path ModuleDirectory;
  // The module's file name without directory and extension: the caption of
  // every information box.
  std::string AppName;

  void InitInstance(HINSTANCE module);
};

extern ConfigApp theApp;

// True when the system's default language is Chinese (PRC), 0x0804; every
// language choice of the module reads it.
extern int UseChinese;
