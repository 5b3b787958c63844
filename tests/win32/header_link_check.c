/* include/korvcfg.h compiles as C, and its declaration links against an
 * import library of korvcfg.dll. A mismatch in calling convention or
 * linkage would leave the symbol unresolved; a wrong import would keep the
 * program from loading. Run without arguments it only loads and ends. */
#include "korvcfg.h"

int main(int argc, char** argv) {
  bd_ShowConfigDlg_t show = bd_ShowConfigDlg;
  (void)argv;
  if (argc > 1) show();
  return 0;
}
