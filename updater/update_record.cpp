// The updater's fetch record in the registry.
#include "update_record.h"

#include "registry.h"

#include <cstdlib>

UpdateRecordKey::UpdateRecordKey(const char* remote, const char* temporary)
    : m_Key(std::string("Software\\Tarnwell\\TNUpdate\\") + remote + "\\" + temporary) {}

bool UpdateRecordKey::succeeded() const {
    return std::atoi(regReadString(m_Key.c_str(), "Success", "0", HKEY_CURRENT_USER)) == 1;
}

void UpdateRecordKey::setSuccess(bool success) const {
    regWriteString(m_Key.c_str(), "Success", success ? "1" : "0", HKEY_CURRENT_USER);
}

std::string UpdateRecordKey::date() const {
    const char* date = regReadString(m_Key.c_str(), "Date", nullptr, HKEY_CURRENT_USER);
    return date ? date : "";
}

void UpdateRecordKey::setDate(const std::string& date) const {
    regWriteString(m_Key.c_str(), "Date", date.c_str(), HKEY_CURRENT_USER);
}

void UpdateRecordKey::removeDate() const { regDeleteValue(m_Key.c_str(), "Date", HKEY_CURRENT_USER); }
