// A small modal-dialog layer over the Win32 dialog manager: a dialog is made
// from a template id, its messages reach it cracked (a button's click as the
// button's id, the horizontal scroll message as code, position and control),
// and one data-exchange function moves values between the dialog's members
// and its controls, in either direction.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

class Dialog;

// A text of the module's string tables (ids in text_ids.h), Chinese or
// English whatever the thread's own UI language; empty if the table lacks it.
std::wstring LoadText(int id, bool chinese);
// The same text for the platform's byte-string functions: the Chinese texts
// in GBK (code page 936), the English ones in ASCII.
std::string LoadTextBytes(int id, bool chinese);

// A text with its places "%1", "%2"... filled with the values in order.
std::wstring FillText(const std::wstring& text, std::initializer_list<std::wstring> values);

// A modal information box: the information icon and one OK button.
void ShowInformation(HWND owner, const char* caption, const char* text);
void ShowInformation(HWND owner, const std::wstring& caption, const std::wstring& text);

// Reports the exception being handled in a message box of the platform's
// own kind (no memory, a failure of the device library naming its function,
// or the error's own words), in the language of Dialog::SetLanguage; call it
// inside a catch. True for a failure of the device library, after which the
// board must not be used again.
bool ReportCurrentException(HWND owner);

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
  // nothing, and the group's first enabled button takes the tab stop that
  // the checked one would have, so that Tab still reaches the group;
  // setting a check sends no click.
  void Radio(int firstId, int& index);
  // Attaches the slider to its control the first time; nothing after.
  void Control(int id, Slider& slider);

 private:
  HWND dialog_;
  bool fromControls_;
};

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
  // Gives each single-line push button and group box whose caption is wider
  // than the control (the font grows by other steps than the dialog units
  // at some DPI settings) a smaller font of the same face, so that the
  // caption fits and the layout stays. The fonts live as long as the window.
  void FitCaptions();
  void EndDialog(INT_PTR result);

 protected:
  // A button's click, with the button's id; true when the dialog handled it.
  // Clicks it leaves go to the dialog's own handling: IDOK to OnOK, IDCANCEL
  // (also Escape and the close box) to OnCancel.
  virtual bool OnClicked(int /*id*/) { return false; }
  // The horizontal scroll message from any control: the scroll code (SB_*),
  // the thumb position of SB_THUMBPOSITION and SB_THUMBTRACK, and the
  // control. The message then goes on to the default handling.
  virtual void OnHScroll(int /*code*/, int /*position*/, HWND /*control*/) {}
  virtual void DoDataExchange(DataExchange&) {}
  // Exchanges data towards the controls; TRUE lets the system set the focus.
  virtual BOOL OnInitDialog();
  // Exchanges data back from the controls and ends with IDOK.
  virtual void OnOK();
  virtual void OnCancel();
  // Whether Enter presses the default push button when the focus is on a
  // control that is no push button (the dialog manager's way); false: Enter
  // there sends OK.
  virtual bool EnterPressesDefaultButton() const { return true; }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
  bool Command(int id, int notifyCode);

  int templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
  std::vector<HFONT> fonts_;  // made by FitCaptions
};
