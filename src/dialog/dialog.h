// A small modal-dialog layer over the Win32 dialog manager: a dialog is made
// from a template id, a table binds control notifications and messages to
// member handlers, and one data-exchange function moves values between the
// dialog's members and its controls, in either direction.
#pragma once

#include <windows.h>

#include <string>

class Dialog;

// A text of the module's string tables (ids in text_ids.h), Chinese or
// English whatever the thread's own UI language; empty if the table lacks it.
std::wstring LoadText(int id, bool chinese);
// The same text for the platform's byte-string functions: the Chinese texts
// in GBK (code page 936), the English ones in ASCII.
std::string LoadTextBytes(int id, bool chinese);

// A modal information box: the information icon and one OK button.
void ShowInformation(HWND owner, const char* caption, const char* text);

// Reports the exception being handled in a message box of the platform's
// own kind (no memory, or the error's own words), in the language of
// Dialog::SetLanguage; call it inside a catch.
void ReportCurrentException(HWND owner);

// A horizontal scroll bar control used as a slider (SB_CTL).
class Slider {
 public:
  void Attach(HWND control) { hwnd_ = control; }
  HWND Hwnd() const { return hwnd_; }
  void SetRange(int low, int high) { SetScrollRange(hwnd_, SB_CTL, low, high, TRUE); }
  int Position() const { return GetScrollPos(hwnd_, SB_CTL); }
  void SetPosition(int position) { SetScrollPos(hwnd_, SB_CTL, position, TRUE); }

 private:
  HWND hwnd_ = nullptr;
};

// The hourglass for as long as the object lives; the cursor before it
// comes back after.
class WaitCursor {
 public:
  WaitCursor() : old_(SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

// One direction of data exchange between members and controls.
class DataExchange {
 public:
  DataExchange(HWND dialog, bool fromControls) : dialog_(dialog), fromControls_(fromControls) {}
  bool FromControls() const { return fromControls_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  // The selected position of a list or drop-down list; -1 for none.
  void ListIndex(int id, int& index);
  // A group of radio buttons and the position of the checked one, -1 for
  // none. The group runs from the button firstId up to the next control
  // with WS_GROUP; only radio buttons in that run count, others are
  // skipped. Towards the controls an index that is no position checks
  // nothing; setting a check sends no click.
  void Radio(int firstId, int& index);
  // Attaches the slider to its control the first time; nothing after.
  void Control(int id, Slider& slider);

 private:
  HWND dialog_;
  bool fromControls_;
};

// The horizontal scroll message, cracked: the scroll code (SB_*), the thumb
// position of SB_THUMBPOSITION and SB_THUMBTRACK, and the control.
struct ScrollMessage {
  int code;
  int position;
  HWND control;
};

// One row of a dialog's handler table: a control's notification (WM_COMMAND)
// or the scroll message from any control (WM_HSCROLL) and the member that
// handles it. Command handlers get the control's id. A table ends with
// kEndOfHandlers.
struct MessageEntry {
  UINT message;
  int controlId;
  UINT notifyCode;
  void (Dialog::*command)(int controlId);
  void (Dialog::*scroll)(const ScrollMessage&);
};

constexpr MessageEntry kEndOfHandlers = {0, 0, 0, nullptr, nullptr};

template <class T>
MessageEntry OnClicked(int controlId, void (T::*handler)(int)) {
  return {WM_COMMAND, controlId, BN_CLICKED, static_cast<void (Dialog::*)(int)>(handler), nullptr};
}

template <class T>
MessageEntry OnHScroll(void (T::*handler)(const ScrollMessage&)) {
  return {WM_HSCROLL, 0, 0, nullptr, static_cast<void (Dialog::*)(const ScrollMessage&)>(handler)};
}

class Dialog {
 public:
  // The module whose resources hold the templates (korvcfg.dll itself).
  static void SetResourceModule(HINSTANCE module);
  // The language of the layer's own messages: Chinese or English. They come
  // from the resource module, which is set first.
  static void SetLanguage(bool chinese);

  Dialog(int templateId, HWND parent);
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally. The result is the one given to EndDialog:
  // IDOK, IDCANCEL, or -1 when the dialog cannot be created.
  INT_PTR DoModal();

  HWND Hwnd() const { return hwnd_; }
  void UpdateData(bool fromControls);
  void EndDialog(INT_PTR result);

 protected:
  virtual const MessageEntry* Handlers() const { return nullptr; }
  virtual void DoDataExchange(DataExchange&) {}
  // Exchanges data towards the controls; TRUE lets the system set the focus.
  virtual BOOL OnInitDialog();
  // Exchanges data back from the controls and ends with IDOK.
  virtual void OnOK();
  virtual void OnCancel();

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
  bool Dispatch(UINT message, WPARAM wparam, LPARAM lparam);

  int templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
};
