// Message boxes on Windows.
#include <windows.h>

#include "ui.h"

MessageAnswer ShowMessageBox(const char* text, const char* caption, MessageButtons buttons,
                             MessageIcon icon, int defaultButton) {
  UINT style = buttons == kButtonsYesNoCancel ? MB_YESNOCANCEL : buttons == kButtonsYesNo ? MB_YESNO : MB_OK;
  style |= icon == kIconError ? MB_ICONERROR : MB_ICONQUESTION;
  if (defaultButton == 2) style |= MB_DEFBUTTON2;
  if (defaultButton == 3) style |= MB_DEFBUTTON3;
  // An error box comes after the file browser that the run has just opened:
  // it must not wait behind it, nor without the keyboard.
  if (icon == kIconError) style |= MB_SETFOREGROUND;
  return static_cast<MessageAnswer>(MessageBoxA(nullptr, text, caption, style));
}
