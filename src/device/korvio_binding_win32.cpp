#include "korvio_binding.h"

#include <windows.h>

#include "host_path.h"
#include "korvio.h"

namespace {

using Proc = void (*)();

// Where each function of the bound library is kept, one per function of
// korvio.h.
template <auto Function>
Proc g_bound = nullptr;

struct Import {
  const char* name;
  Proc* bound;
};

// Every function the module calls, by the name korvio.dll exports it under.
constexpr Import kImports[] = {
    {"Orbel_GetCardNum", &g_bound<Orbel_GetCardNum>},
    {"Orbel_Initial", &g_bound<Orbel_Initial>},
    {"Orbel_Close", &g_bound<Orbel_Close>},
    {"Orbel_GetCardTypeNo", &g_bound<Orbel_GetCardTypeNo>},
    {"Orbel_GetInnerOrExtraSync", &g_bound<Orbel_GetInnerOrExtraSync>},
    {"Orbel_SetInnerOrExtraSync", &g_bound<Orbel_SetInnerOrExtraSync>},
    {"Orbel_GetCmpsOrSvideo", &g_bound<Orbel_GetCmpsOrSvideo>},
    {"Orbel_SetCmpsOrSvideo", &g_bound<Orbel_SetCmpsOrSvideo>},
    {"Orbel_GetAudioSrc", &g_bound<Orbel_GetAudioSrc>},
    {"Orbel_SetAudioSrc", &g_bound<Orbel_SetAudioSrc>},
    {"Orbel_GetTVORVTR", &g_bound<Orbel_GetTVORVTR>},
    {"Orbel_SetTVORVTR", &g_bound<Orbel_SetTVORVTR>},
    {"Orbel_GetVideoBlackLevel", &g_bound<Orbel_GetVideoBlackLevel>},
    {"Orbel_SetVideoBlackLevel", &g_bound<Orbel_SetVideoBlackLevel>},
    {"Orbel_GetVideoBypass", &g_bound<Orbel_GetVideoBypass>},
    {"Orbel_SetVideoBypass", &g_bound<Orbel_SetVideoBypass>},
    {"Orbel_GetVideoMode", &g_bound<Orbel_GetVideoMode>},
    {"Orbel_SetVideoMode", &g_bound<Orbel_SetVideoMode>},
    {"Orbel_GetContrast", &g_bound<Orbel_GetContrast>},
    {"Orbel_SetContrast", &g_bound<Orbel_SetContrast>},
    {"Orbel_GetLight", &g_bound<Orbel_GetLight>},
    {"Orbel_SetLight", &g_bound<Orbel_SetLight>},
    {"Orbel_GetHue", &g_bound<Orbel_GetHue>},
    {"Orbel_SetHue", &g_bound<Orbel_SetHue>},
    {"Orbel_GetSatuation", &g_bound<Orbel_GetSatuation>},
    {"Orbel_SetSatuation", &g_bound<Orbel_SetSatuation>},
    {"Orbel_GetSubcarrierPhase", &g_bound<Orbel_GetSubcarrierPhase>},
    {"Orbel_SetSubcarrierPhase", &g_bound<Orbel_SetSubcarrierPhase>},
    {"Orbel_GetLinePhase", &g_bound<Orbel_GetLinePhase>},
    {"Orbel_SetLinePhase", &g_bound<Orbel_SetLinePhase>},
    {"Orbel_GetFieldPhase", &g_bound<Orbel_GetFieldPhase>},
    {"Orbel_SetFieldPhase", &g_bound<Orbel_SetFieldPhase>},
    {"Orbel_GetAudioVolumn", &g_bound<Orbel_GetAudioVolumn>},
    {"Orbel_SetAudioVolumn", &g_bound<Orbel_SetAudioVolumn>},
    {"Orbel_GetOutVideoSrc", &g_bound<Orbel_GetOutVideoSrc>},
    {"Orbel_SetOutVideoSrc", &g_bound<Orbel_SetOutVideoSrc>},
    {"Orbel_GetOutAudioSrc", &g_bound<Orbel_GetOutAudioSrc>},
    {"Orbel_SetOutAudioSrc", &g_bound<Orbel_SetOutAudioSrc>},
    {"Orbel_GetCapVideoSrc", &g_bound<Orbel_GetCapVideoSrc>},
    {"Orbel_SetCapVideoSrc", &g_bound<Orbel_SetCapVideoSrc>},
    {"Orbel_GetPlayBufferRepeatMode", &g_bound<Orbel_GetPlayBufferRepeatMode>},
    {"Orbel_SetPlayBufferRepeatMode", &g_bound<Orbel_SetPlayBufferRepeatMode>},
    {"Orbel_GetSubBoardIfExist", &g_bound<Orbel_GetSubBoardIfExist>},
    {"Orbel_ClearCurrentScreen", &g_bound<Orbel_ClearCurrentScreen>},
    {"Orbel_SetRectangle", &g_bound<Orbel_SetRectangle>},
    {"Orbel_GetMemAddress", &g_bound<Orbel_GetMemAddress>},
};

constexpr bool IsImported(const Proc* bound) {
  for (const Import& import : kImports)
    if (import.bound == bound) return true;
  return false;
}

// Calls the bound function of the library; a function of korvio.h that has
// no row above does not compile.
template <auto Function, class... Args>
int Call(Args... args) {
  static_assert(IsImported(&g_bound<Function>), "every function of korvio.h is bound by name");
  return reinterpret_cast<decltype(Function)>(g_bound<Function>)(args...);
}

HMODULE g_library = nullptr;

// The system folder of this process's architecture: SysWOW64 for a 32-bit
// process on 64-bit Windows, whose System32 is the 64-bit one.
std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  BOOL wow64 = FALSE;
  UINT length = 0;
  if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) length = GetSystemWow64DirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"";
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  return path;
}

// How a library found by its full path is loaded, so that its own imports
// come from its own folder and never from the current folder or PATH where
// the system can say so (Windows 8 and later; Vista and 7 with update
// KB2533623, which brought AddDllDirectory); elsewhere the altered search,
// which puts its own folder first.
DWORD LoadFlags() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel && GetProcAddress(kernel, "AddDllDirectory"))
    return LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
  return LOAD_WITH_ALTERED_SEARCH_PATH;
}

}  // namespace

std::vector<std::wstring> DeviceLibraryFolders(const std::wstring& moduleDirectory) {
  std::vector<std::wstring> folders;
  // Each once: the host program may sit beside the module.
  const auto listed = [&](const std::wstring& folder) {
    for (const std::wstring& earlier : folders)
      if (CompareStringOrdinal(earlier.c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
    return false;
  };
  for (const std::wstring& folder : {moduleDirectory, ModuleFolder(nullptr).native(), SystemFolder()})
    if (!folder.empty() && !listed(folder)) folders.push_back(folder);
  return folders;
}

void* LoadDeviceLibrary(const std::wstring& moduleDirectory) {
  HMODULE library = nullptr;
  // One the process has loaded already: a host that keeps the driver
  // elsewhere loads it itself first.
  if (GetModuleHandleExW(0, L"korvio.dll", &library)) return library;
  // Only by full paths that the module builds: a bare name would be looked
  // for in the current folder and on PATH too, where anyone may put a
  // library of that name.
  for (const std::wstring& folder : DeviceLibraryFolders(moduleDirectory)) {
    const std::wstring path = folder + L"korvio.dll";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    library = LoadLibraryExW(path.c_str(), nullptr, LoadFlags());
    if (library) return library;
  }
  return nullptr;
}

bool BindDeviceLibrary(const std::wstring& moduleDirectory, std::vector<const char*>& missing) {
  missing.clear();
  if (g_library) return true;
  HMODULE library = static_cast<HMODULE>(LoadDeviceLibrary(moduleDirectory));
  if (!library) return false;
  Proc found[sizeof kImports / sizeof kImports[0]] = {};
  for (size_t i = 0; i < sizeof kImports / sizeof kImports[0]; ++i) {
    // Through the generic function type, which any function pointer may take.
    found[i] = reinterpret_cast<Proc>(GetProcAddress(library, kImports[i].name));
    if (!found[i]) missing.push_back(kImports[i].name);
  }
  if (!missing.empty()) {
    FreeLibrary(library);
    return false;
  }
  for (size_t i = 0; i < sizeof kImports / sizeof kImports[0]; ++i) *kImports[i].bound = found[i];
  // Kept loaded while the module is, as an import would be.
  g_library = library;
  return true;
}

extern "C" {
int Orbel_GetCardNum(void) { return Call<Orbel_GetCardNum>(); }
int Orbel_Initial(int card, int mode, int reserved) { return Call<Orbel_Initial>(card, mode, reserved); }
int Orbel_Close(int card) { return Call<Orbel_Close>(card); }
int Orbel_GetCardTypeNo(int* typeNo, int card) { return Call<Orbel_GetCardTypeNo>(typeNo, card); }
int Orbel_GetInnerOrExtraSync(int* value, int card) { return Call<Orbel_GetInnerOrExtraSync>(value, card); }
int Orbel_SetInnerOrExtraSync(int value, int card) { return Call<Orbel_SetInnerOrExtraSync>(value, card); }
int Orbel_GetCmpsOrSvideo(int* value, int card) { return Call<Orbel_GetCmpsOrSvideo>(value, card); }
int Orbel_SetCmpsOrSvideo(int value, int card) { return Call<Orbel_SetCmpsOrSvideo>(value, card); }
int Orbel_GetAudioSrc(int* value, int card) { return Call<Orbel_GetAudioSrc>(value, card); }
int Orbel_SetAudioSrc(int value, int card) { return Call<Orbel_SetAudioSrc>(value, card); }
int Orbel_GetTVORVTR(int* value, int card) { return Call<Orbel_GetTVORVTR>(value, card); }
int Orbel_SetTVORVTR(int value, int card) { return Call<Orbel_SetTVORVTR>(value, card); }
int Orbel_GetVideoBlackLevel(int* value, int card) { return Call<Orbel_GetVideoBlackLevel>(value, card); }
int Orbel_SetVideoBlackLevel(int value, int card) { return Call<Orbel_SetVideoBlackLevel>(value, card); }
int Orbel_GetVideoBypass(int* value, int card) { return Call<Orbel_GetVideoBypass>(value, card); }
int Orbel_SetVideoBypass(int value, int card) { return Call<Orbel_SetVideoBypass>(value, card); }
int Orbel_GetVideoMode(int* value, int card) { return Call<Orbel_GetVideoMode>(value, card); }
int Orbel_SetVideoMode(int value, int card) { return Call<Orbel_SetVideoMode>(value, card); }
int Orbel_GetContrast(int* value, int card) { return Call<Orbel_GetContrast>(value, card); }
int Orbel_SetContrast(int value, int card) { return Call<Orbel_SetContrast>(value, card); }
int Orbel_GetLight(int* value, int card) { return Call<Orbel_GetLight>(value, card); }
int Orbel_SetLight(int value, int card) { return Call<Orbel_SetLight>(value, card); }
int Orbel_GetHue(int* value, int card) { return Call<Orbel_GetHue>(value, card); }
int Orbel_SetHue(int value, int card) { return Call<Orbel_SetHue>(value, card); }
int Orbel_GetSatuation(int* value, int card) { return Call<Orbel_GetSatuation>(value, card); }
int Orbel_SetSatuation(int value, int card) { return Call<Orbel_SetSatuation>(value, card); }
int Orbel_GetSubcarrierPhase(int* value, int card) { return Call<Orbel_GetSubcarrierPhase>(value, card); }
int Orbel_SetSubcarrierPhase(int value, int card) { return Call<Orbel_SetSubcarrierPhase>(value, card); }
int Orbel_GetLinePhase(int* value, int card) { return Call<Orbel_GetLinePhase>(value, card); }
int Orbel_SetLinePhase(int value, int card) { return Call<Orbel_SetLinePhase>(value, card); }
int Orbel_GetFieldPhase(int* value, int card) { return Call<Orbel_GetFieldPhase>(value, card); }
int Orbel_SetFieldPhase(int value, int card) { return Call<Orbel_SetFieldPhase>(value, card); }
int Orbel_GetAudioVolumn(int* value, int card) { return Call<Orbel_GetAudioVolumn>(value, card); }
int Orbel_SetAudioVolumn(int value, int card) { return Call<Orbel_SetAudioVolumn>(value, card); }
int Orbel_GetOutVideoSrc(int* value, int card) { return Call<Orbel_GetOutVideoSrc>(value, card); }
int Orbel_SetOutVideoSrc(int value, int card) { return Call<Orbel_SetOutVideoSrc>(value, card); }
int Orbel_GetOutAudioSrc(int* value, int card) { return Call<Orbel_GetOutAudioSrc>(value, card); }
int Orbel_SetOutAudioSrc(int value, int card) { return Call<Orbel_SetOutAudioSrc>(value, card); }
int Orbel_GetCapVideoSrc(int* value, int card) { return Call<Orbel_GetCapVideoSrc>(value, card); }
int Orbel_SetCapVideoSrc(int value, int card) { return Call<Orbel_SetCapVideoSrc>(value, card); }
int Orbel_GetPlayBufferRepeatMode(int* value, int card) { return Call<Orbel_GetPlayBufferRepeatMode>(value, card); }
int Orbel_SetPlayBufferRepeatMode(int value, int card) { return Call<Orbel_SetPlayBufferRepeatMode>(value, card); }
int Orbel_GetSubBoardIfExist(int* value, int card) { return Call<Orbel_GetSubBoardIfExist>(value, card); }
int Orbel_ClearCurrentScreen(int card) { return Call<Orbel_ClearCurrentScreen>(card); }
int Orbel_SetRectangle(int x, int y, int width, int height, const void* pixels, int card) {
  return Call<Orbel_SetRectangle>(x, y, width, height, pixels, card);
}
int Orbel_GetMemAddress(void** address, int card) { return Call<Orbel_GetMemAddress>(address, card); }
}
