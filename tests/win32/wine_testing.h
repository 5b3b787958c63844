// What every Wine test program has (wine_test_main.cpp).
#pragma once

#include <string>

// The test program's folder in the ANSI code page, ending with a backslash,
// as the module's own folder is; the built DLLs and TestAlpha.tga are there.
std::string ProgramFolder();
