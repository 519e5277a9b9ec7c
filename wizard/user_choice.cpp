// Reading and writing the variables file.
#include "user_choice.h"

#include <cctype>
#include <cstdlib>
#include <string>

CUserChoice theUserChoice;

namespace {

constexpr const char* kReadSection = "Variables";
constexpr const char* kWriteSection = "variables";
constexpr DWORD kValueSize = 256;  // up to 255 characters

std::string readText(const std::string& file, const char* key, const char* fallback = "") {
    char value[kValueSize] = {};
    GetPrivateProfileStringA(kReadSection, key, fallback, value, kValueSize, file.c_str());
    return value;
}

int readNumber(const std::string& file, const char* key, const char* fallback) {
    return variableNumber(readText(file, key, fallback));
}

void writeText(const std::string& file, const char* key, const std::string& value) {
    WritePrivateProfileStringA(kWriteSection, key, value.c_str(), file.c_str());
}

void writeNumber(const std::string& file, const char* key, long long value) {
    writeText(file, key, std::to_string(value));
}

}  // namespace

int variableNumber(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
    }
    return static_cast<int>(negative ? -value : value);
}

void CUserChoice::readVariables() {
    const std::string& f = m_VariablesFile;
    m_UserName = readText(f, "Username");
    m_Password = readText(f, "Password");
    m_DialDevice = readText(f, "RasDeviceName");
    m_OutsideLine = readText(f, "AKZ");
    m_AreaCode = readText(f, "OKZ");
    m_Country = readText(f, "Land");
    m_InstallOption = readText(f, "InstallOption");
    m_Rebirth = readText(f, "Rebirth", "0") == "1";
    m_Mixman = readText(f, "Mixman", "0") == "1";
    m_ComPort = static_cast<DWORD>(readNumber(f, "ComPort", "0"));
    m_NodeName = readText(f, "PopName");
    m_ChosenNode.m_Name = m_NodeName;
    m_PopNumber = readText(f, "PopNumber");
    m_ExistingCustomer = readNumber(f, "NewUser", "0") <= 0;
    m_IsdnInUse = readNumber(f, "IsdnInUse", "0") != 0;
    m_Pulse = readNumber(f, "Tonwahl", "0") <= 0;
    m_Reboot = readNumber(f, "Reboot", "0");
    m_InstallStdModem = readNumber(f, "InstallStdModem", "0") != 0;
    m_DefaultBrowser = readNumber(f, "DefBrowser", "-1");
}

void CUserChoice::writeVariables() const {
    const std::string& f = m_VariablesFile;
    writeText(f, "Username", m_UserName);
    writeText(f, "Password", m_Password);
    writeText(f, "RasDeviceName", m_DialDevice);
    writeText(f, "InstallOption", m_InstallOption);
    writeText(f, "Rebirth", m_Rebirth ? "1" : "0");
    writeText(f, "Mixman", m_Mixman ? "1" : "0");
    writeNumber(f, "ComPort", m_ComPort);
    writeText(f, "PopName", m_NodeName);
    writeText(f, "PopNumber", m_PopNumber);
    writeNumber(f, "NewUser", m_ExistingCustomer ? 0 : 1);
    writeNumber(f, "IsdnInUse", m_IsdnInUse ? 1 : 0);
    writeNumber(f, "InstallStdModem", m_InstallStdModem ? 1 : 0);
    writeNumber(f, "InstallID", m_InstallKind);
    writeText(f, "Microsoft Internet Explorer Version", m_IeVersion);
    writeText(f, "Netscape Navigator Version", m_NcVersion);
}

void CUserChoice::writeLocationVariables() const {
    const std::string& f = m_VariablesFile;
    writeText(f, "AKZ", m_OutsideLine);
    writeText(f, "OKZ", m_AreaCode);
    writeText(f, "Land", m_Country);
    writeNumber(f, "Tonwahl", m_Pulse ? 0 : 1);
}

int CUserChoice::readStartPage() const { return readNumber(m_VariablesFile, "StartPage", "0"); }

std::string CUserChoice::readOs() const { return readText(m_VariablesFile, "OS"); }
