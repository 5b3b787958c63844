// The support report's facts from Win32: version resources, the Windows
// version, the bound korvio.dll and whether the module's folder takes a new
// file.
#pragma once

#include "korv_report.h"

void Win32SystemFacts(SystemFacts& facts);
