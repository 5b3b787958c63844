/* korvcfg.dll: the configuration module of the Korvex video boards.
 *
 * One export, bd_ShowConfigDlg: no arguments, no result, the C calling
 * convention (__cdecl) and an undecorated name. Each call is one complete
 * configuration run on the caller's thread: it counts the boards, lets the
 * user pick one when there are several, opens it, shows the modal
 * configuration dialog, and closes the board when the dialog ends. Failures
 * are shown to the user; nothing is returned. Call it from a thread that may
 * show windows, as often as you like while the module is loaded.
 *
 * Put korvcfg.dll, Board.ini (the user's defaults, written by the dialog)
 * and TestAlpha.tga in one folder: the module looks for its files beside its
 * own file, whatever the host's folder or working directory. It binds the
 * board's device library korvio.dll when bd_ShowConfigDlg is called, not as
 * an import, and takes only one loaded already, the one beside korvcfg.dll,
 * the one beside the host program or the one in the system folder, never one
 * from the current folder or PATH. A host whose driver keeps korvio.dll
 * elsewhere loads it by its full path first.
 *
 * Load the module at run time by its full path, and say why when that fails:
 *
 *     HMODULE module = LoadLibraryExW(L"C:\\Path\\To\\korvcfg.dll", NULL,
 *                                     LOAD_WITH_ALTERED_SEARCH_PATH);
 *     if (!module) {
 *         // 126: korvcfg.dll not found; 193: the other architecture. (A
 *         // missing korvio.dll is told to the user by bd_ShowConfigDlg.)
 *         fprintf(stderr, "cannot load korvcfg.dll: error %lu\n", GetLastError());
 *         return 0;
 *     }
 *     bd_ShowConfigDlg_t show =
 *         (bd_ShowConfigDlg_t)GetProcAddress(module, "bd_ShowConfigDlg");
 *     if (show)
 *         show();  // returns when the user has closed the dialog
 *     FreeLibrary(module);
 *
 * Or link against the import library (libkorvcfg.dll.a for MinGW,
 * korvcfg.lib for Microsoft's linker; a MinGW linker also takes korvcfg.dll
 * itself), and call bd_ShowConfigDlg() directly.
 */
#ifndef KORVCFG_H
#define KORVCFG_H

#ifdef __cplusplus
extern "C" {
#endif

/* The type of the export, for GetProcAddress. */
typedef void(__cdecl* bd_ShowConfigDlg_t)(void);

/* Shows the board configuration dialog; returns when it has been closed. */
__declspec(dllimport) void __cdecl bd_ShowConfigDlg(void);

#ifdef __cplusplus
}
#endif

#endif
