/* Built, not run: include/korvcfg.h compiles as C, and its declaration links
 * against the export of korvcfg.dll itself. A mismatch in calling convention
 * or linkage would leave the symbol unresolved. */
#include "korvcfg.h"

int main(int argc, char** argv) {
  bd_ShowConfigDlg_t show = bd_ShowConfigDlg;
  (void)argv;
  if (argc > 1) show();
  return 0;
}
