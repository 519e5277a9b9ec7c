// The application's dial-up parts, forwarding to the dial-up binding and the application.
#include "dialup_parts.h"

#include "app.h"
#include "ras_api.h"
#include "ras_calls.h"

bool DialupRas::rasDeviceExists(const std::string& deviceName) {
    return ::rasDeviceExists(deviceName.c_str());
}

std::string DialupRas::getConnectedEntries() { return ::getConnectedEntries(); }

std::string DialupRas::listActiveConnections() { return ::listActiveConnections(); }

std::string DialupRas::listPhonebookEntries() { return ::listPhonebookEntries(); }

void DialupRas::releaseRasApi() { unloadRasApi(); }

bool MonitoredConnection::createMonitor() { return app_ && monitor_.create(*this); }

bool MonitoredConnection::dialupInUse() { return app_->settings().useRas(); }

bool MonitoredConnection::isSignupMode() { return app_->isSignupMode(); }

std::string MonitoredConnection::entryName() { return app_->settings().entryName(); }

std::string MonitoredConnection::userName() { return app_->settings().userName(); }

std::string MonitoredConnection::password() { return app_->settings().password(); }

void MonitoredConnection::setLastConnectionError(const std::string& text) {
    app_->settings().setLastConnectionError(text);
}

void MonitoredConnection::showPopup(const std::string& page) { app_->showPopup(page); }

void MonitoredConnection::closePopup() { app_->closePopup(); }

void MonitoredConnection::setPopupStatus(const std::string& text) {
    if (LmrWindow* popup = app_->popup()) popup->setExtraElementText("IDC_RAS_STATUS", text);
}

void MonitoredConnection::onConnected() { app_->OnConnected(); }

void MonitoredConnection::onDisconnected() { app_->OnDisconnected(); }

void MonitoredConnection::requestFileUpdate(const std::string& fileName) {
    if (monitorExists()) monitor_.requestFileUpdate(fileName);
}

std::string MonitoredConnection::installDir() { return app_->paths().installDir; }

std::string MonitoredConnection::programName() { return app_->paths().programName; }

unsigned MonitoredConnection::updatePeriodMs() { return app_->settings().updatePeriodMs(); }

void MonitoredConnection::skinUpdated(const std::string& skinName) { app_->skinUpdated(skinName); }
