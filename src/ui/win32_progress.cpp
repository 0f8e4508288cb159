// The progress dialog on Windows, from the "IDD_DIALOG1" template.
#include <windows.h>
#include <commctrl.h>

#include "copy/copy_worker.h"
#include "filelist/filelist.h"
#include "run/shared_state.h"
#include "ui.h"

namespace {
constexpr int kProgressBar = 101;
constexpr UINT_PTR kStartTimer = 4662;

// The bar's range: the 16-bit message wherever the bound fits it, the 32-bit
// one beyond, where the 16-bit bound would fill the bar early and wrap.
void SetBarRange(HWND dialog, unsigned high) {
  HWND bar = GetDlgItem(dialog, kProgressBar);
  if (high <= 0xFFFF)
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, high));
  else
    SendMessageA(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(high));
}

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM first, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetBarRange(dialog, FileCount > 0xFFFF ? static_cast<unsigned>(FileCount) : (FileCount & 0xFFFF));
      SendDlgItemMessageA(dialog, kProgressBar, PBM_SETPOS, 0, 0);
      SetTimer(dialog, kStartTimer, 500, nullptr);
      return TRUE;
    case WM_TIMER:
      KillTimer(dialog, kStartTimer);
      CopyRunning = 1;
      WorkerThread = rt::BeginThread(CopyWorker, 0, dialog);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(first) != IDOK && LOWORD(first) != IDCANCEL) return FALSE;
      if (CopyRunning == 1 &&
          ShowMessageBox("Really Stop?!", "?!", kButtonsYesNo, kIconQuestion, 2) != kAnswerYes)
        return TRUE;
      CopyRunning = 0;
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}
}  // namespace

void RunProgressDialog(InstanceHandle instance) {
  // The progress bar's window class lives in the common controls.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  DialogBoxParamA(static_cast<HINSTANCE>(instance), "IDD_DIALOG1", nullptr, ProgressDialogProc, 0);
}

// The worker's messages. Sent to a dialog that has ended, each finds no
// window and returns at once.
void SetProgressRange(WindowHandle dialog, unsigned, unsigned high) { SetBarRange(static_cast<HWND>(dialog), high); }

void SetProgressPosition(WindowHandle dialog, unsigned position) {
  SendDlgItemMessageA(static_cast<HWND>(dialog), kProgressBar, PBM_SETPOS, position, 0);
}

void SetDialogCaption(WindowHandle dialog, const char* text) { SetWindowTextA(static_cast<HWND>(dialog), text); }

void SendDialogCommand(WindowHandle dialog, int command) {
  SendMessageA(static_cast<HWND>(dialog), WM_COMMAND, static_cast<WPARAM>(command), 0);
}
