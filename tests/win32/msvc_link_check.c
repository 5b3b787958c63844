/* A host as Microsoft's toolchain builds it: compiled for the MSVC ABI and
 * linked by lld-link against korvcfg.lib, with no C runtime. Taking the
 * export's address is enough to import it. */
#include "korvcfg.h"

bd_ShowConfigDlg_t volatile kept;

int __cdecl start(void) {
  kept = bd_ShowConfigDlg;
  return 0;
}
