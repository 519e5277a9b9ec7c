// The system's logon prompt that appears while a dial authenticates: a top-level window titled
// "Benutzeranmeldung" on the X display, so that programs watching for it find it in the window
// list. Without a display nothing is shown.
#pragma once

namespace rasman {

class LogonPrompt {
public:
    LogonPrompt() = default;
    ~LogonPrompt() { hide(); }
    LogonPrompt(const LogonPrompt&) = delete;
    LogonPrompt& operator=(const LogonPrompt&) = delete;

    void show();
    void hide();

private:
    unsigned long window_ = 0;
};

}  // namespace rasman
