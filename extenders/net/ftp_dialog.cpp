// The transfer progress dialog "ftpDialog" (see ftp_dialog.h): a modeless dialog of the ui layer
// that the transfer loop keeps alive by running its messages between two blocks.
#include "ftp_dialog.h"

#include "dialog.h"

#include <memory>

namespace pxnet {
namespace {

constexpr int kStatusText = 101;
constexpr int kSourceText = 102;
constexpr int kTargetText = 103;
constexpr int kProgressBar = 104;
constexpr UINT_PTR kTimeOutTimer = 1;
constexpr const char* kDefaultCaption = "File Transfer";

ui::DialogTemplate dialogTemplate(const std::string& caption) {
    return ui::DialogTemplate{
        0, caption, 220, 88, "MS Sans Serif", 8,
        {
            {-1, ui::ControlClass::StaticText, "Status:", {7, 7, 34, 9}},
            {kStatusText, ui::ControlClass::StaticText, "", {44, 7, 169, 9}},
            {-1, ui::ControlClass::StaticText, "Source:", {7, 19, 34, 9}},
            {kSourceText, ui::ControlClass::StaticText, "", {44, 19, 169, 9}},
            {-1, ui::ControlClass::StaticText, "Target:", {7, 31, 34, 9}},
            {kTargetText, ui::ControlClass::StaticText, "", {44, 31, 169, 9}},
            {kProgressBar, ui::ControlClass::ProgressBar, "", {7, 46, 206, 12}},
            {IDCANCEL, ui::ControlClass::PushButton, "Cancel", {83, 66, 54, 14}},
        }};
}

class ProgressHandler : public ui::DialogHandler {
public:
    bool onCommand(ui::Dialog&, int id, ui::CommandEvent event) override {
        if (id == IDCANCEL && event == ui::CommandEvent::Clicked) {
            // Only a running transfer can be given up; the dialog itself stays until closed.
            if (running) cancelled = true;
            return true;
        }
        return false;
    }
    void onTimer(ui::Dialog& dialog, UINT_PTR id) override {
        if (id != kTimeOutTimer) return;
        KillTimer(dialog.hwnd(), kTimeOutTimer);
        dialog.press(IDCANCEL);
    }
    bool running = false;
    bool cancelled = false;
    UINT timeOut = 0;  // ms a transfer may take before the dialog gives it up; 0 for ever
};

struct ProgressDialog {
    ui::DialogTemplate layout;
    ProgressHandler handler;
    std::unique_ptr<ui::Dialog> dialog;
};

std::unique_ptr<ProgressDialog>& shown() {
    static std::unique_ptr<ProgressDialog> dialog;
    return dialog;
}

void runMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The host's own loop is the one to end.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!ui::isDialogMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

const char* statusText(DWORD status) {
    switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME: return "Resolving name...";
    case INTERNET_STATUS_NAME_RESOLVED: return "Name Resolved...";
    case INTERNET_STATUS_CONNECTING_TO_SERVER: return "Connecting to Server...";
    case INTERNET_STATUS_CONNECTED_TO_SERVER: return "Connected to Server...";
    case INTERNET_STATUS_SENDING_REQUEST: return "Sending request...";
    case INTERNET_STATUS_REQUEST_SENT: return "Request sent...";
    case INTERNET_STATUS_RECEIVING_RESPONSE: return "Receiving response...";
    case INTERNET_STATUS_RESPONSE_RECEIVED: return "Response received...";
    case INTERNET_STATUS_CLOSING_CONNECTION: return "Closing connection...";
    case INTERNET_STATUS_CONNECTION_CLOSED: return "Connection closed...";
    default: return "Processing...";
    }
}

}  // namespace

LONG iftpdialog(const ExtenderCall& call) {
    auto& current = shown();
    switch (call.number(1)) {
    case 0: {
        const bool had = current != nullptr;
        closeProgressDialog();
        return call.returnNumber(had ? 1 : 0);
    }
    case 1: {
        const std::string caption = isNone(call.arg(2)) ? kDefaultCaption : call.arg(2);
        const long long timeOut = call.number(3);
        if (current) {
            current->dialog->setCaption(caption);
        } else {
            auto made = std::make_unique<ProgressDialog>();
            made->layout = dialogTemplate(caption);
            made->dialog = ui::createModeless(made->layout, made->handler);
            if (!made->dialog) return call.returnNumber(0);
            made->dialog->setProgressRange(kProgressBar, 0, 100);
            current = std::move(made);
            runMessages();
        }
        current->handler.timeOut = timeOut > 0 && timeOut < 0x7fffffff ? static_cast<UINT>(timeOut) : 0;
        return call.returnNumber(static_cast<LONG>(reinterpret_cast<DWORD_PTR>(current->dialog->hwnd())));
    }
    case 2: {
        if (!current) return call.returnText("");
        runMessages();
        ui::Dialog& d = *current->dialog;
        return call.returnText(std::to_string(d.progress(kProgressBar)) + "\t" + d.text(kStatusText) + "\t" +
                               d.text(kSourceText) + "\t" + d.text(kTargetText));
    }
    default: return fail(call, 305);
    }
}

bool progressDialogShown() { return shown() != nullptr; }

void beginShownTransfer(const std::string& source, const std::string& target) {
    ProgressDialog& p = *shown();
    p.dialog->setText(kSourceText, source);
    p.dialog->setText(kTargetText, target);
    p.dialog->setText(kStatusText, "");
    p.dialog->setProgress(kProgressBar, 0);
    p.handler.running = true;
    p.handler.cancelled = false;
    if (p.handler.timeOut) SetTimer(p.dialog->hwnd(), kTimeOutTimer, p.handler.timeOut, nullptr);
    runMessages();
}

void showTransferShare(unsigned percent, unsigned step) {
    ProgressDialog& p = *shown();
    if (percent > 100) percent = 100;
    if (step < 1 || step > 100) step = 1;
    const int position = static_cast<int>(percent == 100 ? 100 : percent - percent % step);
    if (p.dialog->progress(kProgressBar) != position) p.dialog->setProgress(kProgressBar, position);
}

bool transferCancelled() {
    runMessages();
    return shown()->handler.cancelled;
}

void endShownTransfer() {
    ProgressDialog& p = *shown();
    p.handler.running = false;
    KillTimer(p.dialog->hwnd(), kTimeOutTimer);
    runMessages();
}

void CALLBACK showTransferStatus(HINTERNET, DWORD_PTR, DWORD status, LPVOID, DWORD) {
    // Handle-level notices (handle made or closing, redirects) are no state of the transfer.
    if (status == INTERNET_STATUS_HANDLE_CREATED || status == INTERNET_STATUS_HANDLE_CLOSING) return;
    if (auto& p = shown()) p->dialog->setText(kStatusText, statusText(status));
}

void closeProgressDialog() { shown().reset(); }

}  // namespace pxnet
