/* Control IDs of the progress dialog "IDD_DIALOG1". The dialog itself is
   looked up by its name, so the name has no number here. */
#define IDC_PROGRESS_BAR 101
