// ws2_32: host names and addresses — gethostbyname, inet_addr, inet_ntoa and the byte order.
#include "hostsock.h"
#include "wsock.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace winapi;
using namespace winapi::ws2;

namespace {

// WinSock hands out one hostent per thread, valid until that thread's next call.
struct HostEntry {
    hostent entry{};
    std::string name;
    std::vector<uint32_t> addresses;
    std::vector<char*> addressList;
    char* noAliases[1] = {nullptr};
};

thread_local HostEntry hostEntry;
thread_local char dottedText[16];

}  // namespace

extern "C" {

struct hostent* WINAPI gethostbyname(const char* name) {
    if (!started()) return nullptr;
    const std::string lookup = name && *name ? std::string(name) : hostsock::localHostName();
    std::string canonical;
    std::vector<uint32_t> addresses;
    int error = hostsock::resolve(lookup.c_str(), canonical, addresses);
    const bool unknownName = error != 0 && (hostsock::isNoSuchName(error) ||
                                            hostsock::isTemporaryFailure(error));
    if (unknownName && autoDialInternet()) {
        addresses.clear();
        error = hostsock::resolve(lookup.c_str(), canonical, addresses);
    }
    if (error != 0 || addresses.empty()) {
        WSASetLastError(error == 0 || hostsock::isNoData(error) ? WSANO_DATA
                        : hostsock::isNoSuchName(error)        ? WSAHOST_NOT_FOUND
                        : hostsock::isTemporaryFailure(error)  ? WSATRY_AGAIN
                                                               : WSANO_RECOVERY);
        return nullptr;
    }
    HostEntry& h = hostEntry;
    h.name = canonical;
    h.addresses = addresses;
    h.addressList.clear();
    for (uint32_t& address : h.addresses) h.addressList.push_back(reinterpret_cast<char*>(&address));
    h.addressList.push_back(nullptr);
    h.entry.h_name = h.name.data();
    h.entry.h_aliases = h.noAliases;
    h.entry.h_addrtype = AF_INET;
    h.entry.h_length = 4;
    h.entry.h_addr_list = h.addressList.data();
    return &h.entry;
}

unsigned long WINAPI inet_addr(const char* cp) {
    uint32_t address = 0;
    if (!cp || !hostsock::parseDotted(cp, address)) return INADDR_NONE;
    return address;
}

char* WINAPI inet_ntoa(struct in_addr in) {
    std::snprintf(dottedText, sizeof dottedText, "%u.%u.%u.%u", in.S_un.S_un_b.s_b1,
                  in.S_un.S_un_b.s_b2, in.S_un.S_un_b.s_b3, in.S_un.S_un_b.s_b4);
    return dottedText;
}

u_long WINAPI htonl(u_long hostlong) { return __builtin_bswap32(static_cast<uint32_t>(hostlong)); }
u_short WINAPI htons(u_short hostshort) { return __builtin_bswap16(hostshort); }
u_long WINAPI ntohl(u_long netlong) { return __builtin_bswap32(static_cast<uint32_t>(netlong)); }
u_short WINAPI ntohs(u_short netshort) { return __builtin_bswap16(netshort); }

}  // extern "C"
