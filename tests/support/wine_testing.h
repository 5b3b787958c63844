// What every Wine test program has: main() (wine_test_main.cpp), and the
// program's folder (wine_testing.cpp).
#pragma once

#include <string>

// The test program's folder, ending with a backslash, as the module's own
// folder is; the built DLLs and TestAlpha.tga are there.
std::wstring ProgramFolder();
// The same as the module's strings carry a path (host_path.h): in the ANSI
// code page where that can write it.
std::string ProgramFolderA();
