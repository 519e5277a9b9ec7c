// The browser center's dial-up parts over dialup/: the bound remote-access functions the
// application asks, and the connection monitor working for the application (its pages, its
// settings, its connected and disconnected handlers).
#pragma once

#include <string>

#include "connection_monitor.h"
#include "dialup_seam.h"

class CLmrApp;

class DialupRas : public RasBinding {
public:
    bool rasDeviceExists(const std::string& deviceName) override;
    std::string getConnectedEntries() override;
    std::string listPhonebookEntries() override;
    void releaseRasApi() override;
};

class MonitoredConnection : public ConnectionLifecycle, private ConnectionHost {
public:
    // The application the monitor works for; set before the application starts its run.
    void attach(CLmrApp& app) { app_ = &app; }

    bool createMonitor() override;
    void destroyMonitor() override { monitor_.destroy(); }
    bool monitorExists() const override { return monitor_.hwnd() != nullptr; }
    void toggleConnection() override { monitor_.toggleConnection(); }

private:
    bool dialupInUse() override;
    bool isSignupMode() override;
    std::string entryName() override;
    std::string userName() override;
    std::string password() override;
    void setLastConnectionError(const std::string& text) override;
    void showPopup(const std::string& page) override;
    void closePopup() override;
    void setPopupStatus(const std::string& text) override;
    void onConnected() override;
    void onDisconnected() override;

    CLmrApp* app_ = nullptr;
    CConnectionMonitor monitor_;
};
