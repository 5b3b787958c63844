#include "korvio_binding.h"

#include <windows.h>

#include <cstdint>
#include <tuple>

#include "device_fault.h"
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
#define KORVIO_IMPORT(name, parameters, arguments) {#name, &g_bound<name>},
constexpr Import kImports[] = {KORVIO_FUNCTIONS(KORVIO_IMPORT)};
#undef KORVIO_IMPORT

// A crashing korvio.dll. GCC has no __try/__except, and MinGW-w64's __try1
// macros are not sound (on x86-64 they plant one fixed label per file, on
// i686 they move the stack pointer behind the compiler's back); a vectored
// handler sees every exception first, also those the library raises and
// catches itself. So each call goes through korv_guarded_call, a small function
// in assembly with a frame-based handler of its own, exactly as an
// __except(EXCEPTION_EXECUTE_HANDLER) frame: the handler is asked only for
// an exception that nothing inside the library handled, and it unwinds the
// library's frames (running their cleanups) back to that function, which then
// returns the exception's code. An exception of GCC's own (a C++ throw from
// a MinGW-built library) is left to pass on to the module's catch, as it
// always did.
extern "C" {
// Calls body(context); 0 when it returned, else the code of the exception
// it raised.
uint32_t korv_guarded_call(void (*body)(void*), void* context);
void korv_guarded_resume();
}

constexpr DWORD kGccThrow = 0x20474343, kGccUnwind = 0x21474343;  // "CCG " and "CCG!"

#if defined(__x86_64__)
asm(R"(
	.text
	.globl	korv_guarded_call
	.def	korv_guarded_call; .scl 2; .type 32; .endef
	.seh_proc	korv_guarded_call
korv_guarded_call:
	subq	$40, %rsp
	.seh_stackalloc	40
	.seh_endprologue
	movq	%rcx, %rax
	movq	%rdx, %rcx
	callq	*%rax
	xorl	%eax, %eax
	.globl	korv_guarded_resume
korv_guarded_resume:
	addq	$40, %rsp
	ret
	.seh_handler	korv_guarded_handler, @except
	.seh_endproc
)");

extern "C" EXCEPTION_DISPOSITION korv_guarded_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT* context,
                                                      DISPATCHER_CONTEXT* dispatcher) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND) || record->ExceptionCode == kGccThrow ||
      record->ExceptionCode == kGccUnwind)
    return ExceptionContinueSearch;
  // Back to korv_guarded_call's frame, the library's frames unwound on the way,
  // its return value the code (never 0).
  const uintptr_t code = record->ExceptionCode ? record->ExceptionCode : 0xFFFFFFFF;
  RtlUnwindEx(frame, reinterpret_cast<void*>(&korv_guarded_resume), record, reinterpret_cast<void*>(code), context,
              dispatcher->HistoryTable);
  return ExceptionContinueSearch;  // not reached
}
#elif defined(__i386__)
// The frame registers its handler on the thread's chain (fs:0) around the
// call, after the callee-saved registers, so that the resumption finds them.
asm(R"(
	.text
	.globl	_korv_guarded_call
_korv_guarded_call:
	pushl	%ebp
	movl	%esp, %ebp
	pushl	%ebx
	pushl	%esi
	pushl	%edi
	pushl	$_korv_guarded_handler
	pushl	%fs:0
	movl	%esp, %fs:0
	pushl	12(%ebp)
	call	*8(%ebp)
	addl	$4, %esp
	xorl	%eax, %eax
	.globl	_korv_guarded_resume
_korv_guarded_resume:
	movl	(%esp), %ecx
	movl	%ecx, %fs:0
	addl	$8, %esp
	popl	%edi
	popl	%esi
	popl	%ebx
	popl	%ebp
	ret
	.globl	_korv_guarded_jump
_korv_guarded_jump:
	movl	8(%esp), %eax
	movl	4(%esp), %esp
	jmp	_korv_guarded_resume
)");

extern "C" {
// Continues at korv_guarded_resume with the stack at the registration
// record and code as the result.
[[noreturn]] void korv_guarded_jump(void* frame, uint32_t code);

EXCEPTION_DISPOSITION korv_guarded_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT*, void*) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND) || record->ExceptionCode == kGccThrow ||
      record->ExceptionCode == kGccUnwind)
    return ExceptionContinueSearch;
  // The handlers of the library's frames run their cleanups, and the chain
  // ends at this frame again; then the stack is cut back to it, as an
  // __except block resumes.
  RtlUnwind(frame, nullptr, record, nullptr);
  korv_guarded_jump(frame, record->ExceptionCode ? record->ExceptionCode : 0xFFFFFFFF);
}
}
#else
#error "the device library's calls are guarded on x86-64 and i686 only"
#endif

constexpr bool IsImported(const Proc* bound) {
  for (const Import& import : kImports)
    if (import.bound == bound) return true;
  return false;
}

// Closing a board never throws: it is done after the library failed too.
template <auto Function>
constexpr bool kNeverThrows = false;
template <>
constexpr bool kNeverThrows<&Orbel_Close> = true;

// Calls the bound function of the library, as Caller<Orbel_Close>{"Orbel_Close"}(card);
// a function of korvio.h that has no row above does not compile. A fault
// inside it becomes a DeviceLibraryFault that names it; Orbel_Close answers
// 0 instead, so that closing a board never throws.
template <auto Function>
struct Caller {
  static_assert(IsImported(&g_bound<Function>), "every function of korvio.h is bound by name");
  const char* name;

  template <class... Args>
  int operator()(Args... args) const {
    using Pointer = decltype(Function);
    struct Frame {
      Pointer function;
      std::tuple<Args...> arguments;
      int result;
    } frame{reinterpret_cast<Pointer>(g_bound<Function>), {args...}, 0};
    const uint32_t code = korv_guarded_call(
        [](void* context) {
          Frame& f = *static_cast<Frame*>(context);
          f.result = std::apply(f.function, f.arguments);
        },
        &frame);
    if (code == 0) return frame.result;
    if constexpr (kNeverThrows<Function>) return 0;
    throw DeviceLibraryFault(name, code);
  }
};

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
#define KORVIO_FORWARD(name, parameters, arguments) \
  int name parameters { return Caller<name>{#name} arguments; }
KORVIO_FUNCTIONS(KORVIO_FORWARD)
#undef KORVIO_FORWARD
}
