// HKEY_LOCAL_MACHINE "Hardware\DeviceMap\Serialcomm": on Windows the serial driver fills it with
// the ports it found at start; here the ports are the prefix's "dosdevices/comn" links, so the key
// is filled from them each time it is opened and always lists the ports that exist now.
#include "serial_devicemap.h"

#include "regstore.h"
#include "../kernel32/serial_port.h"

#include <strings.h>

#include <array>
#include <string>

namespace winapi {

bool isSerialCommPath(const std::vector<std::string_view>& names) {
    static constexpr std::array<std::string_view, 3> kPath = {"Hardware", "DeviceMap", "Serialcomm"};
    if (names.size() != kPath.size()) return false;
    for (size_t i = 0; i < kPath.size(); ++i)
        if (names[i].size() != kPath[i].size() ||
            ::strncasecmp(names[i].data(), kPath[i].data(), kPath[i].size()) != 0)
            return false;
    return true;
}

LONG refreshSerialComm(registry::Store& store) {
    const std::vector<unsigned> ports = serialPortNumbers();
    return store.write([&](registry::Transaction& tx) -> LONG {
        registry::KeyId key = registry::kLocalMachine;
        for (std::string_view name : {"Hardware", "DeviceMap", "Serialcomm"}) {
            if (auto child = tx.child(key, name))
                key = child->id;
            else
                key = tx.createChild(key, name, {}, false);
        }
        for (const auto& value : tx.values(key)) tx.deleteValue(key, value.name);
        for (unsigned port : ports) {
            const std::string name = "COM" + std::to_string(port);
            tx.setValue(key, name, REG_SZ, std::string_view(name.c_str(), name.size() + 1));
        }
        return ERROR_SUCCESS;
    });
}

}  // namespace winapi
