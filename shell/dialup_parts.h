// The browser center's dial-up parts over dialup/: the bound remote-access functions the
// application asks, and the connection monitor working for the application (its pages, its
// settings, its connected and disconnected handlers, the update queue it holds).
#pragma once

#include <string>

#include "connection_monitor.h"
#include "dialup_seam.h"
#include "update_seam.h"

class CLmrApp;

class DialupRas : public RasBinding {
public:
    bool rasDeviceExists(const std::string& deviceName) override;
    std::string getConnectedEntries() override;
    std::string listActiveConnections() override;
    std::string listPhonebookEntries() override;
    void releaseRasApi() override;
};

class MonitoredConnection : public ConnectionLifecycle, public UpdateQueue, private ConnectionHost {
public:
    // The application the monitor works for; set before the application starts its run.
    void attach(CLmrApp& app) { app_ = &app; }

    bool createMonitor() override;
    void destroyMonitor() override { monitor_.destroy(); }
    bool monitorExists() const override { return monitor_.hwnd() != nullptr; }
    void toggleConnection() override { monitor_.toggleConnection(); }
    void requestFileUpdate(const std::string& fileName) override;
    CConnectionMonitor& monitor() { return monitor_; }

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
    std::string installDir() override;
    std::string programName() override;
    unsigned updatePeriodMs() override;
    void skinUpdated(const std::string& skinName) override;

    CLmrApp* app_ = nullptr;
    CConnectionMonitor monitor_;
};
