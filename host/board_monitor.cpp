#include "board_monitor.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <type_traits>
#include <vector>

#include "korvsim.h"
#include "setting_table.h"
#include "sim_picture.h"

namespace {

constexpr int kWidth = KORVSIM_WIDTH;
constexpr int kHeight = KORVSIM_HEIGHT;
constexpr UINT kTimerMs = 40;
constexpr int kGap = 8;
const char kClassName[] = "KorvBoardMonitor";

struct Monitor {
  SimInspection sim;
  int card = 0;
  int source = -1;              // KORVSIM_OUTPUT or KORVSIM_MEMORY
  std::vector<unsigned> board;  // the board's picture as last taken
  std::vector<unsigned> shown;  // the same over the checkerboard, 0x00RRGGBB
  HWND status = nullptr;
  int statusHeight = 0;
  HWND placedBeside = nullptr;
  std::atomic<long> pictures{0};
};

Monitor* Of(HWND window) { return reinterpret_cast<Monitor*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

RECT PictureRect(const Monitor& m, HWND window) {
  RECT client;
  GetClientRect(window, &client);
  int areaW = client.right, areaH = std::max(0L, client.bottom - m.statusHeight);
  // The largest 720 x 576 rectangle that fits, centred.
  int w = areaW, h = areaW * kHeight / kWidth;
  if (h > areaH) {
    h = areaH;
    w = areaH * kWidth / kHeight;
  }
  RECT r = {(areaW - w) / 2, (areaH - h) / 2, 0, 0};
  r.right = r.left + w;
  r.bottom = r.top + h;
  return r;
}

// The height the status line needs at this width, wrapped into lines.
int StatusHeight(const Monitor& m, int width) {
  char text[1024];
  GetWindowTextA(m.status, text, sizeof text);
  HDC dc = GetDC(m.status);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(m.status, WM_GETFONT, 0, 0)));
  RECT r = {0, 0, std::max(width, 1), 0};
  DrawTextA(dc, *text ? text : "X", -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(m.status, dc);
  return r.bottom + 4;
}

// The status line at the bottom, as high as its text needs; the picture
// above it.
void Layout(HWND window, Monitor& m) {
  RECT client;
  GetClientRect(window, &client);
  m.statusHeight = StatusHeight(m, client.right);
  MoveWindow(m.status, 0, std::max(0L, client.bottom - m.statusHeight), client.right, m.statusHeight, TRUE);
  InvalidateRect(window, nullptr, FALSE);
}

int FirstOpenBoard(const SimInspection& sim) {
  for (int card = 0; card < KORVSIM_MAX_BOARDS; ++card)
    if (sim.isOpen(card)) return card;
  return -1;
}

// Takes the board's picture when it differs from the one shown.
void TakePicture(HWND window, Monitor& m) {
  int open = FirstOpenBoard(m.sim);
  int card = open >= 0 ? open : m.card;
  int source = m.sim.lastWritten(card);
  const unsigned* pixels = source == KORVSIM_MEMORY ? m.sim.memory(card) : m.sim.output(card);
  if (!pixels) {  // no board at all
    SetWindowTextA(window, "Board monitor: no board");
    return;
  }
  bool changed = card != m.card || source != m.source ||
                 std::memcmp(pixels, m.board.data(), m.board.size() * sizeof(unsigned)) != 0;
  if (changed) {
    m.card = card;
    m.source = source;
    std::memcpy(m.board.data(), pixels, m.board.size() * sizeof(unsigned));
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) m.shown[y * kWidth + x] = PixelOverCheckerboard(m.board[y * kWidth + x], x, y);
    RECT picture = PictureRect(m, window);
    InvalidateRect(window, &picture, FALSE);
    ++m.pictures;
  }
  std::string title = "Board monitor: board " + std::to_string(card + 1) +
                      (source == KORVSIM_MEMORY ? ", frame memory" : ", output") + (open >= 0 ? "" : " (closed)");
  std::string status = BoardStatusLine(m.sim, card);
  char old[1024];
  GetWindowTextA(window, old, sizeof old);
  if (title != old) SetWindowTextA(window, title.c_str());
  GetWindowTextA(m.status, old, sizeof old);
  if (status != old) {
    SetWindowTextA(m.status, status.c_str());
    Layout(window, m);
  }
}

// Moves the monitor beside a dialog it has not been placed beside yet, to
// its right, scaled to fit the screen; where the screen is too narrow for
// both, the dialog moves left to make room.
void PlaceBesideNewDialog(HWND window, Monitor& m) {
  // The module's own dialogs have a cancel button ("Cancel", "Exit"); its
  // message boxes only "OK".
  HWND dialog = FindThreadDialog(GetCurrentThreadId(), [](HWND w) { return GetDlgItem(w, IDCANCEL) != nullptr; });
  if (!dialog || dialog == m.placedBeside) return;
  m.placedBeside = dialog;
  RECT d, work;
  GetWindowRect(dialog, &d);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectEx(&frame, GetWindowLongA(window, GWL_STYLE), FALSE, GetWindowLongA(window, GWL_EXSTYLE));
  const int frameW = frame.right - frame.left, frameH = frame.bottom - frame.top;
  const int dialogW = d.right - d.left;
  double scale = std::min(1.0, double(work.right - work.left - dialogW - kGap - frameW) / kWidth);
  const int statusH = StatusHeight(m, int(kWidth * std::max(scale, 0.25)));
  scale = std::max(0.25, std::min(scale, double(work.bottom - work.top - frameH - statusH) / kHeight));
  const int w = int(kWidth * scale) + frameW, h = int(kHeight * scale) + statusH + frameH;
  if (d.right + kGap + w > work.right) {
    int left = std::max(work.left, work.right - (dialogW + kGap + w));
    SetWindowPos(dialog, nullptr, left, d.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    OffsetRect(&d, left - d.left, 0);
  }
  const int y = std::max(work.top, std::min(d.top, work.bottom - h));
  SetWindowPos(window, nullptr, d.right + kGap, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A 32-bit picture of w x h pixels, top row first.
BITMAPINFO TopDownBitmap(int w, int h) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  return bi;
}

void Paint(HWND window, Monitor& m) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT picture = PictureRect(m, window);
  int w = picture.right - picture.left, h = picture.bottom - picture.top;
  const BITMAPINFO bi = TopDownBitmap(kWidth, kHeight);
  SetStretchBltMode(dc, w == kWidth && h == kHeight ? COLORONCOLOR : HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, picture.left, picture.top, w, h, 0, 0, kWidth, kHeight, m.shown.data(), &bi, DIB_RGB_COLORS,
                SRCCOPY);
  // The margins around the picture.
  RECT client;
  GetClientRect(window, &client);
  ExcludeClipRect(dc, picture.left, picture.top, picture.right, picture.bottom);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
  EndPaint(window, &ps);
}

LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Monitor* m = Of(window);
  switch (message) {
    case WM_TIMER:
      if (m) {
        TakePicture(window, *m);
        PlaceBesideNewDialog(window, *m);
      }
      return 0;
    case WM_SIZE:
      if (m) Layout(window, *m);
      return 0;
    case WM_ERASEBKGND: return 1;  // WM_PAINT covers everything
    case WM_PAINT:
      if (m) {
        Paint(window, *m);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      KillTimer(window, 1);
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      delete m;
      break;
  }
  // No WM_QUIT on close: the thread's loop belongs to the module's dialog.
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

bool FindSimInspection(SimInspection& sim) {
  HMODULE korvio = GetModuleHandleA("korvio.dll");
  if (!korvio) return false;
  auto find = [korvio](auto& function, const char* name) {
    // Through the generic function type, which any function pointer may take.
    auto generic = reinterpret_cast<void (*)(void)>(GetProcAddress(korvio, name));
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(generic);
    return function != nullptr;
  };
  return find(sim.isOpen, "KorvSim_IsOpen") & find(sim.peek, "KorvSim_Peek") & find(sim.output, "KorvSim_Output") &
         find(sim.memory, "KorvSim_Memory") & find(sim.lastWritten, "KorvSim_LastWritten");
}

std::string BoardStatusLine(const SimInspection& sim, int card) {
  std::string line = "Board " + std::to_string(card + 1) + (sim.isOpen(card) ? "" : " (closed)") + ": ";
  // Every setting by its name, with the word for its code where it has one.
  for (const BoardSetting& setting : kBoardSettings) {
    const int value = sim.peek(setting.device, card);
    const char* word = setting.WordOf(value);
    line += std::string(setting.name) + " " + (word ? word : std::to_string(value)) + ", ";
  }
  line.resize(line.size() - 2);
  return line;
}

HWND CreateBoardMonitor(const SimInspection& sim) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExA(instance, kClassName, &wc)) {
    wc.lpfnWndProc = MonitorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExA(&wc)) return nullptr;
  }
  auto* m = new Monitor;
  m->sim = sim;
  m->board.assign(kWidth * kHeight, 0);
  m->shown.assign(kWidth * kHeight, 0);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) m->shown[y * kWidth + x] = PixelOverCheckerboard(0, x, y);

  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT r = {0, 0, kWidth, kHeight * 5 / 4};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  HWND window = CreateWindowExA(0, kClassName, "Board monitor", style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                                r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  if (!window) {
    delete m;
    return nullptr;
  }
  m->status = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, window,
                              nullptr, instance, nullptr);
  SendMessageA(m->status, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m));
  TakePicture(window, *m);
  SetTimer(window, 1, kTimerMs, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  return window;
}

long BoardMonitorPictures(HWND monitor) {
  Monitor* m = IsWindow(monitor) ? Of(monitor) : nullptr;
  return m ? m->pictures.load() : -1;
}

RECT BoardMonitorPictureRect(HWND monitor) {
  Monitor* m = Of(monitor);
  return m ? PictureRect(*m, monitor) : RECT{0, 0, 0, 0};
}

std::vector<uint32_t> ScreenPixels(HWND window, const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return {};
  const BITMAPINFO bi = TopDownBitmap(w, h);
  void* bits = nullptr;
  HDC source = GetDC(window);
  HDC mem = CreateCompatibleDC(source);
  HBITMAP bmp = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<uint32_t> pixels;
  if (bmp) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, source, r.left, r.top, SRCCOPY);
    GdiFlush();
    pixels.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + size_t(w) * h);
    for (uint32_t& px : pixels) px &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
  }
  DeleteDC(mem);
  ReleaseDC(window, source);
  return pixels;
}

namespace {

struct DialogSearch {
  const std::function<bool(HWND)>& wanted;
  HWND found;
};

BOOL CALLBACK TakeDialog(HWND window, LPARAM data) {
  DialogSearch& search = *reinterpret_cast<DialogSearch*>(data);
  char cls[16] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(window) || !search.wanted(window)) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

HWND FindThreadDialog(DWORD thread, const std::function<bool(HWND)>& wanted) {
  DialogSearch search{wanted, nullptr};
  EnumThreadWindows(thread, TakeDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
