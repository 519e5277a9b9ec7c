// The dial state machine and the connection table.
#include "connections.h"

#include <ras.h>
#include <raserror.h>

#include "bus.h"
#include "logon_prompt.h"
#include "phonebook.h"
#include "provider.h"

#include <cstdio>

namespace rasman {

using winapi::ras::Phonebook;
using winapi::ras::PhonebookEntry;

// RASCS_StartAuthentication: Windows NT and later report it before authenticating; Windows 95
// and 98 do not know it.
constexpr RASCONNSTATE kStartAuthentication = static_cast<RASCONNSTATE>(19);

// The states a successful dial passes, as Windows reports them for a PPP dial-up line.
constexpr RASCONNSTATE kSequence[] = {
    RASCS_OpenPort,      RASCS_PortOpened,   RASCS_ConnectDevice,  RASCS_DeviceConnected,
    RASCS_AllDevicesConnected, kStartAuthentication, RASCS_Authenticate, RASCS_AuthNotify,
    RASCS_AuthProject,   RASCS_Authenticated, RASCS_Connected,
};

bool emulatesWindowsNt() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
constexpr DWORD kDroppedError = ERROR_REMOTE_DISCONNECTION;

// The logon prompt waits for the user; no one answers the simulated one, so after this long the
// provider gives up on the logon as it does on a refused password.
constexpr guint kUnansweredPromptMs = 10000;

struct Connections::Connection {
    ConnectionInfo info;
    DialRequest request;
    Provider provider;
    size_t next = 0;  // index into kSequence of the next state
    bool windowsNt = true;
    guint timer = 0;
    bool ended = false;
    LogonPrompt prompt;
};

Connections::Connections() = default;
Connections::~Connections() = default;

DWORD Connections::dial(const DialRequest& request, DWORD& handle) {
    Phonebook book;
    if (DWORD error = winapi::ras::readPhonebook(book)) return error;
    const PhonebookEntry* stored = winapi::ras::findEntry(book, request.entry);
    if (!stored) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    // An entry is dialled once: a second dial of a connected entry gets the connection.
    for (auto& [existing, other] : connections_) {
        if (other->ended || other->info.entry != stored->name) continue;
        if (other->info.state != RASCS_Connected) return ERROR_PORT_ALREADY_OPEN;
        handle = existing;
        report(request, other->info);
        return ERROR_SUCCESS;
    }
    auto c = std::make_unique<Connection>();
    c->request = request;
    c->provider = readProvider();
    c->windowsNt = emulatesWindowsNt();
    handle = nextHandle_++;
    c->info = {handle, stored->name, stored->get("DeviceType", RASDT_Modem),
               stored->get("Device"), RASCS_OpenPort, 0, {}};
    // An entry that uses country and area code is dialled with both, in the canonical form.
    std::string number = stored->get("PhoneNumber");
    if ((stored->getNumber("Options") & RASEO_UseCountryAndAreaCodes) &&
        stored->getNumber("CountryCode"))
        number = "+" + std::to_string(stored->getNumber("CountryCode")) + " (" +
                 stored->get("AreaCode") + ") " + number;
    if (!request.phoneNumber.empty()) number = request.phoneNumber;
    std::fprintf(stderr, "rasman: dialling \"%s\" (%s) on \"%s\": handle 0x%08x\n",
                 stored->name.c_str(), number.c_str(), c->info.deviceName.c_str(), handle);
    Connection& ref = *c;
    connections_[handle] = std::move(c);
    schedule(ref, 0, false);
    return ERROR_SUCCESS;
}

void Connections::schedule(Connection& c, guint delayMs, bool drop) {
    struct Tick {
        Connections* self;
        DWORD handle;
        bool drop;
    };
    auto* tick = new Tick{this, c.info.handle, drop};
    c.timer = g_timeout_add_full(
        G_PRIORITY_DEFAULT, delayMs,
        [](gpointer data) -> gboolean {
            auto* t = static_cast<Tick*>(data);
            auto it = t->self->connections_.find(t->handle);
            if (it == t->self->connections_.end()) return G_SOURCE_REMOVE;
            Connection& c = *it->second;
            c.timer = 0;
            if (t->drop) {
                std::fprintf(stderr, "rasman: the line of 0x%08x dropped\n", t->handle);
                t->self->end(c, RASCS_Disconnected, kDroppedError);
            } else {
                t->self->step(c);
            }
            return G_SOURCE_REMOVE;
        },
        tick, [](gpointer data) { delete static_cast<Tick*>(data); });
}

void Connections::step(Connection& c) {
    RASCONNSTATE state = kSequence[c.next++];
    if (state == kStartAuthentication && !c.windowsNt) state = kSequence[c.next++];
    c.info.state = state;
    c.prompt.hide();
    if (state == RASCS_ConnectDevice && c.provider.lineError)
        return end(c, state, c.provider.lineError);
    if (state == RASCS_AuthNotify &&
        (c.provider.logonPrompt || !acceptsAccount(c.request.user, c.request.password)))
        return end(c, state, ERROR_AUTHENTICATION_FAILURE);
    report(c.request, c.info);
    if (state == RASCS_Authenticate && c.provider.logonPrompt) {
        c.prompt.show();
        return schedule(c, kUnansweredPromptMs, false);
    }
    if (state == RASCS_Connected) {
        char address[32];
        std::snprintf(address, sizeof address, "10.%u.%u.%u", (c.info.handle >> 16) & 0xff,
                      (c.info.handle >> 8) & 0xff, c.info.handle & 0xff);
        c.info.ipAddress = address;
        std::fprintf(stderr, "rasman: 0x%08x connected\n", c.info.handle);
        if (c.provider.dropAfterSeconds) schedule(c, c.provider.dropAfterSeconds * 1000, true);
        return;
    }
    schedule(c, state == RASCS_ConnectDevice ? c.provider.dialDelayMs : c.provider.stepDelayMs,
             false);
}

void Connections::end(Connection& c, DWORD state, DWORD error) {
    c.prompt.hide();
    c.info.state = state;
    c.info.error = error;
    c.ended = true;
    std::fprintf(stderr, "rasman: 0x%08x ended in state %u with error %u\n", c.info.handle,
                 state, error);
    report(c.request, c.info);
    if (!hasOwner(c.request.owner)) forget(c.info.handle);
}

void Connections::report(const DialRequest& request, const ConnectionInfo& info) {
    if (request.notifyBus.empty() || !request.window) return;
    winapi::user32::busPost(request.notifyBus, request.window, RASDIALEVENT, WM_RASDIALEVENT,
                            info.state, info.error);
}

DWORD Connections::hangUp(DWORD handle) {
    auto it = connections_.find(handle);
    if (it == connections_.end()) return ERROR_INVALID_HANDLE;
    std::fprintf(stderr, "rasman: 0x%08x hung up\n", handle);
    forget(handle);
    return ERROR_SUCCESS;
}

void Connections::forget(DWORD handle) {
    auto it = connections_.find(handle);
    if (it == connections_.end()) return;
    if (it->second->timer) g_source_remove(it->second->timer);
    connections_.erase(it);
}

const ConnectionInfo* Connections::find(DWORD handle) const {
    auto it = connections_.find(handle);
    return it == connections_.end() ? nullptr : &it->second->info;
}

std::vector<ConnectionInfo> Connections::active() const {
    std::vector<ConnectionInfo> list;
    for (const auto& [handle, c] : connections_)
        if (!c->ended) list.push_back(c->info);
    return list;
}

void Connections::ownerPresent(const std::string& owner) { owners_.insert(owner); }

void Connections::ownerGone(const std::string& owner) {
    owners_.erase(owner);
    std::vector<DWORD> ended;
    for (const auto& [handle, c] : connections_)
        if (c->request.owner == owner && c->ended) ended.push_back(handle);
    for (DWORD handle : ended) forget(handle);
}

bool Connections::hasOwner(const std::string& owner) const {
    return owners_.count(owner) != 0;
}

}  // namespace rasman
