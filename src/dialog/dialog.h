// A small modal-dialog layer over the Win32 dialog manager: a dialog is made
// from a template id, a table binds control notifications and messages to
// member handlers, and one data-exchange function moves values between the
// dialog's members and its controls, in either direction.
#pragma once

#include <windows.h>

class Dialog;

// A modal information box: the information icon and one OK button.
void ShowInformation(HWND owner, const char* caption, const char* text);

// Reports the exception being handled in a message box of the platform's
// own kind (no memory, or the error's own words); call it inside a catch.
void ReportCurrentException(HWND owner);

// One direction of data exchange between members and controls.
class DataExchange {
 public:
  DataExchange(HWND dialog, bool fromControls) : dialog_(dialog), fromControls_(fromControls) {}
  bool FromControls() const { return fromControls_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  // The selected position of a list or drop-down list; -1 for none.
  void ListIndex(int id, int& index);

 private:
  HWND dialog_;
  bool fromControls_;
};

// One row of a dialog's handler table: a control's notification (WM_COMMAND)
// or a message from any control (WM_HSCROLL) and the member that handles it.
// A table ends with kEndOfHandlers.
struct MessageEntry {
  UINT message;
  int controlId;
  UINT notifyCode;
  void (Dialog::*command)();
  void (Dialog::*scroll)(int code, int position, HWND control);
};

constexpr MessageEntry kEndOfHandlers = {0, 0, 0, nullptr, nullptr};

template <class T>
MessageEntry OnClicked(int controlId, void (T::*handler)()) {
  return {WM_COMMAND, controlId, BN_CLICKED, static_cast<void (Dialog::*)()>(handler), nullptr};
}

template <class T>
MessageEntry OnHScroll(void (T::*handler)(int, int, HWND)) {
  return {WM_HSCROLL, 0, 0, nullptr, static_cast<void (Dialog::*)(int, int, HWND)>(handler)};
}

class Dialog {
 public:
  // The module whose resources hold the templates (korvcfg.dll itself).
  static void SetResourceModule(HINSTANCE module);

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
