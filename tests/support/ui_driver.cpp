#include "ui_driver.h"

#include <gtest/gtest.h>

#include <chrono>

#include "korvcfg.h"

namespace ui {

namespace {

const UINT kMarker = WM_APP + 0x3A;
const UINT kAction = WM_APP + 0x3B;

std::mutex g_lock;
std::vector<WindowEvent> g_events;
volatile LONG g_markersSeen = 0;
volatile LONG g_keyUpsSeen = 0;  // key releases the run's thread has taken from its queue
LONG g_markersPosted = 0;
std::function<void()> g_action;  // for kAction; set before it is posted

// The simulator's clock where the process has the simulator loaded, else 0:
// a test of a run without the device library links no simulator.
double SimNow() {
  static double (*now)() = nullptr;
  if (!now) {
    HMODULE sim = GetModuleHandleW(L"korvio.dll");
    FARPROC found = sim ? GetProcAddress(sim, "KorvSim_Now") : nullptr;
    now = reinterpret_cast<double (*)()>(reinterpret_cast<void (*)()>(found));
  }
  return now ? now() : 0;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND || code == HCBT_DESTROYWND) {
    HWND hwnd = reinterpret_cast<HWND>(wparam);
    WindowEvent e = {};
    e.created = code == HCBT_CREATEWND;
    e.hwnd = hwnd;
    e.ms = SimNow();
    e.className = ClassName(hwnd);
    if (e.created) {
      const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lparam)->lpcs;
      e.parent = cs->hwndParent;
      e.style = static_cast<DWORD>(cs->style);
      e.exStyle = cs->dwExStyle;
      e.id = (cs->style & WS_CHILD) ? static_cast<int>(reinterpret_cast<INT_PTR>(cs->hMenu)) : 0;
      if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) e.text = cs->lpszName;
    } else {
      e.parent = GetParent(hwnd);
      e.style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
      e.exStyle = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE));
      e.id = GetDlgCtrlID(hwnd);
      e.text = Text(hwnd);
    }
    std::lock_guard<std::mutex> guard(g_lock);
    g_events.push_back(e);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

LRESULT CALLBACK GetMessageProc(int code, WPARAM wparam, LPARAM lparam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lparam);
  if (code == HC_ACTION && wparam == PM_REMOVE && msg->message == kMarker && msg->hwnd == nullptr)
    InterlockedExchange(&g_markersSeen, static_cast<LONG>(msg->wParam));
  if (code == HC_ACTION && wparam == PM_REMOVE && (msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP))
    InterlockedIncrement(&g_keyUpsSeen);
  if (code == HC_ACTION && wparam == PM_REMOVE && msg->message == kAction && msg->hwnd == nullptr) {
    std::function<void()> action;
    std::swap(action, g_action);
    if (action) action();
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

bd_ShowConfigDlg_t LoadModule(const std::wstring& name) {
  bool absolute = name.find(L':') != std::wstring::npos || name.rfind(L"\\", 0) == 0;
  HMODULE module = LoadLibraryW((absolute ? name : ProgramFolder() + name).c_str());
  return module ? reinterpret_cast<bd_ShowConfigDlg_t>(GetProcAddress(module, "bd_ShowConfigDlg")) : nullptr;
}

struct EnumState {
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisibleDialog(HWND w, LPARAM lp) {
  if (IsWindowVisible(w) && ClassName(w) == L"#32770") reinterpret_cast<EnumState*>(lp)->windows.push_back(w);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND w, LPARAM lp) {
  reinterpret_cast<EnumState*>(lp)->windows.push_back(w);
  return TRUE;
}

LRESULT SendTimed(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 3000, &result);
  return static_cast<LRESULT>(result);
}

}  // namespace

ModuleRun::ModuleRun(int calls, const std::wstring& module)
    : ModuleRun([calls, module] {
        bd_ShowConfigDlg_t show = LoadModule(module);
        if (!show) ADD_FAILURE() << "cannot load the module";
        for (int i = 0; show && i < calls; ++i) show();
      }) {}

ModuleRun::ModuleRun(std::function<void()> body) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_events.clear();
  }
  started_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread(Body, this, std::move(body));
  WaitForSingleObject(started_, 5000);
}

void ModuleRun::Body(ModuleRun* self, std::function<void()> body) {
  self->threadId_ = GetCurrentThreadId();
  HHOOK cbt = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, self->threadId_);
  HHOOK getMessage = SetWindowsHookExW(WH_GETMESSAGE, GetMessageProc, nullptr, self->threadId_);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread gets its message queue now
  SetEvent(self->started_);
  body();
  UnhookWindowsHookEx(getMessage);
  UnhookWindowsHookEx(cbt);
  InterlockedExchange(&self->finished_, 1);
}

ModuleRun::~ModuleRun() {
  if (!WaitFinished(2000)) {
    ADD_FAILURE() << "bd_ShowConfigDlg was still running at the end of the test";
    // Answer whatever is open: boxes with OK, dialogs with cancel.
    for (int round = 0; round < 50 && !Finished(); ++round) {
      for (HWND w : Windows()) PostMessageW(w, WM_COMMAND, IsMessageBox(w) ? IDOK : IDCANCEL, 0);
      Sleep(100);
    }
  }
  if (!Finished()) {
    ADD_FAILURE() << "bd_ShowConfigDlg hangs; ending the test program";
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), 3);
  }
  thread_.join();
  CloseHandle(started_);
}

bool ModuleRun::Finished() const { return finished_ != 0; }

bool ModuleRun::WaitFinished(int timeoutMs) {
  return WaitUntil([this] { return Finished(); }, timeoutMs);
}

std::vector<HWND> ModuleRun::Windows() const {
  EnumState s;
  if (threadId_) EnumThreadWindows(threadId_, CollectVisibleDialog, reinterpret_cast<LPARAM>(&s));
  return s.windows;
}

HWND ModuleRun::WaitWindow(const std::function<bool(HWND)>& match, int timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : Windows())
          if (match(w)) {
            found = w;
            return true;
          }
        return false;
      },
      timeoutMs);
  return found;
}

HWND ModuleRun::WaitWindowTitled(const std::wstring& caption, int timeoutMs) {
  return WaitWindow([&](HWND w) { return !IsMessageBox(w) && Text(w) == caption; }, timeoutMs);
}

HWND ModuleRun::WaitMessageBox(int timeoutMs) { return WaitWindow(IsMessageBox, timeoutMs); }

bool ModuleRun::RunInItsLoop(std::function<void()> action, int timeoutMs) {
  g_action = std::move(action);
  return PostThreadMessageW(threadId_, kAction, 0, 0) && Sync(timeoutMs);
}

bool ModuleRun::Sync(int timeoutMs) {
  LONG marker = ++g_markersPosted;
  if (!PostThreadMessageW(threadId_, kMarker, static_cast<WPARAM>(marker), 0)) return false;
  return WaitUntil([&] { return g_markersSeen >= marker; }, timeoutMs);
}

std::vector<WindowEvent> ModuleRun::Events() const {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_events;
}

void ModuleRun::ForgetEvents() {
  std::lock_guard<std::mutex> guard(g_lock);
  g_events.clear();
}

double ModuleRun::DestroyedAt(const std::wstring& caption) const {
  for (const WindowEvent& e : Events())
    if (!e.created && e.className == L"#32770" && e.text == caption) return e.ms;
  return -1;
}

int ModuleRun::DialogsCreated() const {
  int n = 0;
  for (const WindowEvent& e : Events())
    if (e.created && e.className == L"#32770" && !(e.style & WS_CHILD)) ++n;
  return n;
}

std::wstring Text(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');  // a status line can be long
  text.resize(GetWindowTextW(window, &text[0], static_cast<int>(text.size())));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

bool IsMessageBox(HWND window) { return ClassName(window) == L"#32770" && GetDlgItem(window, 1088) != nullptr; }

std::wstring MessageText(HWND box) { return Text(GetDlgItem(box, 0xFFFF)); }

bool HasInformationIcon(HWND box) {
  HICON shown = reinterpret_cast<HICON>(SendTimed(GetDlgItem(box, 1088), STM_GETICON, 0, 0));
  return shown && shown == LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_INFORMATION));
}

std::vector<int> ButtonIds(HWND dialog) {
  EnumState s;
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&s));
  std::vector<int> ids;
  for (HWND w : s.windows)
    if (ClassName(w) == L"Button" && IsWindowVisible(w)) ids.push_back(GetDlgCtrlID(w));
  return ids;
}

int CheckState(HWND dialog, int id) { return static_cast<int>(SendTimed(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0)); }

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

int ScrollPos(HWND dialog, int id) { return GetScrollPos(GetDlgItem(dialog, id), SB_CTL); }

std::vector<std::wstring> ListEntries(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  std::vector<std::wstring> entries;
  int count = static_cast<int>(SendTimed(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    if (SendTimed(list, CB_GETLBTEXTLEN, i, 0) < 255) SendTimed(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

int ListSelection(HWND dialog, int id) {
  return static_cast<int>(SendTimed(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Command(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

ModuleFolder::ModuleFolder(const std::wstring& suffix) : TempFolder(suffix) { EXPECT_TRUE(CopyIn(L"korvcfg.dll")); }

bool ModuleFolder::CopyIn(const std::wstring& name) const {
  // The module reads TestAlpha.tga unshared, so a test running beside this
  // one may hold it for a moment.
  return WaitUntil([&] { return CopyFileW((ProgramFolder() + name).c_str(), (Path() + name).c_str(), FALSE) != 0; },
                   3000);
}

bool ModuleFolder::Write(const std::wstring& name, const std::vector<uint8_t>& bytes) const {
  HANDLE file = CreateFileW((Path() + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

void SelectListEntry(HWND dialog, int id, int index) { SendTimed(GetDlgItem(dialog, id), CB_SETCURSEL, index, 0); }

void PressKey(ModuleRun& run, HWND dialog, WORD key) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  HWND target = dialog;
  if (GetGUIThreadInfo(run.ThreadId(), &info) && info.hwndFocus) target = info.hwndFocus;
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

bool Type(ModuleRun& run, HWND window, const std::vector<Key>& keys) {
  SetForegroundWindow(window);
  if (!WaitUntil([&] { return GetForegroundWindow() == window; }, 2000)) return false;
  for (const Key& key : keys) {
    // The key's release is taken from the queue after whatever its press
    // posted (WM_CHAR, WM_SYSCHAR); the marker that Sync posts then comes
    // after the release has been handled.
    const LONG before = g_keyUpsSeen;
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
      INPUT in = {};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = vk;
      in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      inputs.push_back(in);
    };
    if (key.modifier) add(key.modifier, false);
    add(key.vk, false);
    add(key.vk, true);
    if (key.modifier) add(key.modifier, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    const LONG ups = key.modifier ? 2 : 1;
    if (!WaitUntil([&] { return g_keyUpsSeen >= before + ups; }, 3000) || !run.Sync()) return false;
  }
  return true;
}

HWND Focus(const ModuleRun& run) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(run.ThreadId(), &info) ? info.hwndFocus : nullptr;
}

void PressClose(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void Scroll(HWND dialog, int id, int code, int position) {
  PostMessageW(dialog, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(5);
  }
  return true;
}

std::wstring W(const char* utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring s(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &s[0], n);
  return s;
}

}  // namespace ui
