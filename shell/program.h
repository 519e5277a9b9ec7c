// The browser center's parts put together as the program "lumora" runs them: the framework, the
// skins, the toolkit's windows, dial-up, the connection monitor, signup and the dialog fallback,
// each attached to the one application object. Benchmarks drive the same assembly in their own
// process.
#pragma once

#include <memory>

#include "app.h"
#include "app_paths.h"
#include "dial_services.h"
#include "dialog_fallback.h"
#include "dialup_parts.h"
#include "lmr_windows.h"
#include "packed_archives.h"
#include "signup_parts.h"
#include "skins.h"
#include "status_pages.h"
#include "toolkit.h"
#include "win32_framework.h"

class LumoraProgram {
public:
    explicit LumoraProgram(const AppPaths& paths);
    LumoraProgram(const LumoraProgram&) = delete;
    LumoraProgram& operator=(const LumoraProgram&) = delete;

    CLmrApp& app() { return app_; }

private:
    Win32Framework framework_;
    PackedArchiveFiles archives_;
    CSkinStore skins_;
    std::unique_ptr<ui::Toolkit> toolkit_;
    DialServices dialServices_;
    CLmrWindows windows_;
    ConfigStatusPages statusPages_;
    DialupRas ras_;
    MonitoredConnection connection_;
    SignupParts signup_;
    CDialogFallback dialogFallback_;
    CLmrApp app_;
};
