// The transfer progress dialog of the internet extender ("ftpDialog"): made by iftpdialog, shown
// while iftpget and iftpput move a whole file. Its Cancel button (or its own time-out) gives up
// the running transfer.
#pragma once

#include "pxnet.h"

#include <string>

namespace pxnet {

// The word: iftpdialog (mode, caption, time-out in ms, -, -). Mode 1 shows the dialog (or
// retitles the one shown) and returns its window; 0 closes it; 2 reads it back as "percent TAB
// status TAB source TAB target".
LONG iftpdialog(const ExtenderCall& call);

// Whether a progress dialog is shown, so that transfers report to it.
bool progressDialogShown();
// A transfer starts: its source and target go into the dialog, the bar back to 0 and the
// dialog's time-out starts.
void beginShownTransfer(const std::string& source, const std::string& target);
// The share done, in percent, shown in steps of `step` percent.
void showTransferShare(unsigned percent, unsigned step);
// Runs the messages waiting for the dialog; true once Cancel has been pressed (or the time-out
// passed) during this transfer.
bool transferCancelled();
void endShownTransfer();
// The status callback a shown transfer's connection gets: WinInet's states as the dialog's texts.
void CALLBACK showTransferStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length);
void closeProgressDialog();

}  // namespace pxnet
