#include "dialog.h"

#include <algorithm>
#include <cwchar>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "device_fault.h"
#include "dialog_template.h"
#include "text_ids.h"

namespace {

HINSTANCE g_resourceModule = nullptr;
// The layer's own messages, loaded with the language: no memory may be left
// when they are needed.
std::wstring g_outOfMemory;
std::wstring g_unexpected;
std::wstring g_deviceFault;

// The work area of the screen a window is on (the primary one for none).
RECT WorkArea(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcWork;
}

// The outer size of a template's dialog in its font at `points`, as the
// dialog manager works it out: a dialog unit is a quarter of the font's
// mean letter width and an eighth of its height.
SIZE DialogSize(const DialogTemplate& dialog, WORD points) {
  const std::wstring face(dialog.face.begin(), dialog.face.end());
  HDC screen = GetDC(nullptr);
  HFONT font = CreateFontW(-MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_DONTCARE, FALSE, FALSE,
                           FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str());
  HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICW metrics = {};
  GetTextMetricsW(screen, &metrics);
  SIZE letters = {};
  GetTextExtentPoint32W(screen, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
  SelectObject(screen, old);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  RECT r = {0, 0, MulDiv(dialog.cx, (letters.cx / 26 + 1) / 2, 4), MulDiv(dialog.cy, metrics.tmHeight, 8)};
  AdjustWindowRectEx(&r, dialog.style, FALSE, 0);
  return {r.right - r.left, r.bottom - r.top};
}

// A dialog whose template leaves it at 0, 0 opens centred over its owner,
// or over the work area of the screen when it has none; either way wholly
// on the work area where it fits there.
void CenterIfAtOrigin(HWND dialog) {
  RECT r;
  GetWindowRect(dialog, &r);
  HWND owner = GetWindow(dialog, GW_OWNER);
  POINT origin = {0, 0};
  if (owner) ClientToScreen(owner, &origin);
  if (r.left != origin.x || r.top != origin.y) return;
  const RECT work = WorkArea(dialog);
  RECT area = work;
  if (owner) GetWindowRect(owner, &area);
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = (area.left + area.right - w) / 2, y = (area.top + area.bottom - h) / 2;
  x = std::max<int>(work.left, std::min<int>(x, work.right - w));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::wstring LoadText(int id, bool chinese) {
  // LoadString would take the table of the thread's UI language, which need
  // not be the module's. A table's block holds 16 strings, each its length
  // and its characters.
  const WORD language =
      chinese ? MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED) : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  HRSRC block = FindResourceExA(g_resourceModule, RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), language);
  HGLOBAL data = block ? LoadResource(g_resourceModule, block) : nullptr;
  const WCHAR* words = data ? static_cast<const WCHAR*>(LockResource(data)) : nullptr;
  if (!words) return {};
  const size_t size = SizeofResource(g_resourceModule, block) / sizeof(WCHAR);
  size_t at = 0;
  for (int i = id % 16; i > 0 && at < size; --i) at += 1 + words[at];
  if (at >= size || words[at] > size - at - 1) return {};
  return std::wstring(words + at + 1, words[at]);
}

std::string LoadTextBytes(int id, bool chinese) {
  const std::wstring text = LoadText(id, chinese);
  const int n = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
  return bytes;
}

std::wstring FillText(const std::wstring& text, std::initializer_list<std::wstring> values) {
  std::wstring filled;
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t n = i + 1 < text.size() ? size_t(text[i + 1] - L'1') : values.size();
    if (text[i] == L'%' && n < values.size()) {
      filled += values.begin()[n];
      ++i;
    } else {
      filled += text[i];
    }
  }
  return filled;
}

void ShowInformation(HWND owner, const char* caption, const char* text) {
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONINFORMATION);
}

void ShowInformation(HWND owner, const std::wstring& caption, const std::wstring& text) {
  MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

bool ReportCurrentException(HWND owner) {
  const std::wstring* text = &g_unexpected;
  try {
    throw;
  } catch (const DeviceLibraryFault& fault) {
    const std::string function = fault.Function();
    wchar_t code[16];
    swprintf(code, 16, L"0x%08X", static_cast<unsigned>(fault.Code()));
    const std::wstring filled = FillText(g_deviceFault, {std::wstring(function.begin(), function.end()), code});
    MessageBoxW(owner, filled.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    return true;
  } catch (const std::bad_alloc&) {
    text = &g_outOfMemory;
  } catch (const std::exception& e) {
    MessageBoxA(owner, e.what(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    return false;
  } catch (...) {
  }
  MessageBoxW(owner, text->c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void DataExchange::ListIndex(int id, int& index) {
  HWND list = Control(id);
  if (fromControls_) {
    LRESULT sel = SendMessageA(list, CB_GETCURSEL, 0, 0);
    index = sel == CB_ERR ? -1 : static_cast<int>(sel);
  } else {
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);  // -1 clears the selection
  }
}

void DataExchange::Radio(int firstId, int& index) {
  if (fromControls_) index = -1;
  HWND control = Control(firstId);
  HWND firstEnabled = nullptr;
  bool checked = false;
  int position = 0;
  do {
    if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
      if (fromControls_) {
        if (SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) index = position;
      } else {
        SendMessageA(control, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
        checked = checked || position == index;
        if (!firstEnabled && IsWindowEnabled(control)) firstEnabled = control;
      }
      ++position;
    }
    control = GetWindow(control, GW_HWNDNEXT);
  } while (control && !(GetWindowLongA(control, GWL_STYLE) & WS_GROUP));
  if (!fromControls_ && !checked && firstEnabled)
    SetWindowLongA(firstEnabled, GWL_STYLE, GetWindowLongA(firstEnabled, GWL_STYLE) | WS_TABSTOP);
}

void DataExchange::Control(int id, Slider& slider) {
  if (!slider.Hwnd()) slider.Attach(Control(id));
}

void Dialog::SetResourceModule(HINSTANCE module) { g_resourceModule = module; }

void Dialog::SetLanguage(bool chinese) {
  g_outOfMemory = LoadText(IDS_OUT_OF_MEMORY, chinese);
  g_unexpected = LoadText(IDS_UNEXPECTED_ERROR, chinese);
  g_deviceFault = LoadText(IDS_DEVICE_LIBRARY_FAULT, chinese);
}

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

INT_PTR Dialog::DoModal() {
  // A template taller or wider than the screen's work area (a high DPI on a
  // small screen) is shown with its font made smaller until it fits: the
  // layout stays, in smaller dialog units.
  HRSRC found = FindResourceA(g_resourceModule, MAKEINTRESOURCEA(templateId_), reinterpret_cast<LPCSTR>(RT_DIALOG));
  HGLOBAL data = found ? LoadResource(g_resourceModule, found) : nullptr;
  const BYTE* bytes = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
  std::vector<BYTE> copy;
  if (bytes) copy.assign(bytes, bytes + SizeofResource(g_resourceModule, found));
  const std::optional<DialogTemplate> dialog =
      ReadDialogTemplate(std::string_view(reinterpret_cast<const char*>(copy.data()), copy.size()));
  if (const size_t fontAt = dialog ? dialog->pointSizeAt : 0) {
    const RECT work = WorkArea(parent_);
    WORD wanted, size;
    memcpy(&wanted, copy.data() + fontAt, sizeof wanted);
    for (size = wanted; size > 6; --size) {
      const SIZE outer = DialogSize(*dialog, size);
      if (outer.cx <= work.right - work.left && outer.cy <= work.bottom - work.top) break;
    }
    memcpy(copy.data() + fontAt, &size, sizeof size);
    if (size != wanted)
      return DialogBoxIndirectParamW(g_resourceModule, reinterpret_cast<const DLGTEMPLATE*>(copy.data()), parent_, Proc,
                                     reinterpret_cast<LPARAM>(this));
  }
  return DialogBoxParamA(g_resourceModule, MAKEINTRESOURCEA(templateId_), parent_, Proc,
                         reinterpret_cast<LPARAM>(this));
}

void Dialog::UpdateData(bool fromControls) {
  DataExchange dx(hwnd_, fromControls);
  DoDataExchange(dx);
}

void Dialog::EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }

void Dialog::FitCaptions() {
  HDC dc = GetDC(hwnd_);
  for (HWND control = GetWindow(hwnd_, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const LONG type = style & BS_TYPEMASK;
    wchar_t name[16] = {}, text[128] = {};
    GetClassNameW(control, name, 16);
    if (lstrcmpiW(name, L"Button") != 0 || (style & BS_MULTILINE) || (type != BS_PUSHBUTTON && type != BS_GROUPBOX) ||
        !GetWindowTextW(control, text, 128))
      continue;
    RECT box;
    GetClientRect(control, &box);
    // The room the control draws its caption in: inside a push button's
    // edges and focus frame, between a group box's corners.
    const int room = box.right - (type == BS_GROUPBOX ? 16 : 8);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW look = {};
    if (!font || !GetObjectW(font, sizeof look, &look)) continue;
    const LONG height = look.lfHeight;
    for (int percent = 100; percent >= 60; percent -= 5) {
      look.lfHeight = MulDiv(height, percent, 100);
      HFONT tried = percent == 100 ? font : CreateFontIndirectW(&look);
      HGDIOBJ old = SelectObject(dc, tried);
      RECT need = {0, 0, 0, 0};
      DrawTextW(dc, text, -1, &need, DT_CALCRECT | DT_SINGLELINE);
      SelectObject(dc, old);
      if (need.right <= room || percent == 60) {
        if (tried != font) {
          fonts_.push_back(tried);
          SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(tried), FALSE);
        }
        break;
      }
      if (tried != font) DeleteObject(tried);
    }
  }
  ReleaseDC(hwnd_, dc);
}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lparam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lparam);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  // No exception may cross the dialog manager: a handler that fails is
  // reported here and the dialog stays open, but for a failure of the
  // device library, after which the board is not used again: the dialog
  // ends, and the run closes the board.
  try {
    return self->Handle(message, wparam, lparam);
  } catch (...) {
    if (ReportCurrentException(hwnd)) ::EndDialog(hwnd, IDCANCEL);
  }
  return TRUE;
}

INT_PTR Dialog::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      BOOL setFocus = OnInitDialog();
      CenterIfAtOrigin(hwnd_);
      return setFocus;
    }
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      for (HFONT font : fonts_) DeleteObject(font);
      fonts_.clear();
      return FALSE;
    case WM_COMMAND: return Command(LOWORD(wparam), HIWORD(wparam));
    case WM_HSCROLL: OnHScroll(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam)); return FALSE;
    case DM_GETDEFID:
      if (EnterPressesDefaultButton()) return FALSE;
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, 0);  // no default button
      return TRUE;
    default: return FALSE;
  }
}

bool Dialog::Command(int id, int notifyCode) {
  if (notifyCode != BN_CLICKED) return false;
  if (OnClicked(id)) return true;
  if (id == IDOK) {
    OnOK();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}
