// rasapi32: RasGetErrorStringA, with the texts a German Windows shows for the remote-access
// errors this system can meet. The source file is UTF-8; the texts are handed out in
// Windows-1252.
#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include "cp1252.h"
#include "exports.h"

#include <cstring>
#include <string>

namespace {

struct ErrorText {
    UINT code;
    const char* text;
};

constexpr ErrorText kTexts[] = {
    {PENDING, "Ein Vorgang ist ausstehend."},
    {ERROR_INVALID_PORT_HANDLE, "Es wurde ein ungültiges Anschlusshandle gefunden."},
    {ERROR_PORT_ALREADY_OPEN, "Der angegebene Anschluss ist bereits geöffnet."},
    {ERROR_BUFFER_TOO_SMALL, "Der Puffer des Aufrufers ist zu klein."},
    {ERROR_WRONG_INFO_SPECIFIED, "Es wurden falsche Informationen angegeben."},
    {ERROR_PORT_NOT_CONNECTED, "Der angegebene Anschluss ist nicht verbunden."},
    {ERROR_DEVICE_DOES_NOT_EXIST, "Das angegebene Gerät ist nicht vorhanden."},
    {ERROR_DEVICETYPE_DOES_NOT_EXIST, "Der Gerätetyp ist nicht vorhanden."},
    {ERROR_BUFFER_INVALID, "Der angegebene Puffer ist ungültig."},
    {ERROR_PORT_NOT_FOUND, "Der angegebene Anschluss wurde nicht gefunden."},
    {ERROR_ASYNC_REQUEST_PENDING, "Eine asynchrone Anforderung ist ausstehend."},
    {ERROR_ALREADY_DISCONNECTING, "Die Verbindung wird bereits getrennt."},
    {ERROR_PORT_NOT_OPEN, "Der angegebene Anschluss ist nicht geöffnet."},
    {ERROR_PORT_DISCONNECTED, "Der angegebene Anschluss ist nicht verbunden."},
    {ERROR_CANNOT_OPEN_PHONEBOOK, "Die Telefonbuchdatei konnte nicht geöffnet werden."},
    {ERROR_CANNOT_LOAD_PHONEBOOK, "Die Telefonbuchdatei konnte nicht geladen werden."},
    {ERROR_CANNOT_FIND_PHONEBOOK_ENTRY,
     "Der Telefonbucheintrag für diese Verbindung wurde nicht gefunden."},
    {ERROR_CANNOT_WRITE_PHONEBOOK, "Die Telefonbuchdatei konnte nicht aktualisiert werden."},
    {ERROR_CORRUPT_PHONEBOOK, "Die Telefonbuchdatei enthält ungültige Informationen."},
    {ERROR_DISCONNECTION, "Die Verbindung wurde geschlossen."},
    {ERROR_REMOTE_DISCONNECTION, "Die Verbindung wurde vom Remotecomputer geschlossen."},
    {ERROR_HARDWARE_FAILURE,
     "Die Verbindung wurde aufgrund eines Hardwarefehlers getrennt."},
    {ERROR_USER_DISCONNECTION, "Die Verbindung wurde vom Benutzer geschlossen."},
    {ERROR_INVALID_SIZE, "Die Strukturgröße ist falsch."},
    {ERROR_PORT_NOT_AVAILABLE,
     "Das Modem (oder ein anderes Verbindungsgerät) wird bereits verwendet oder ist nicht "
     "ordnungsgemäß konfiguriert."},
    {ERROR_UNKNOWN, "Unbekannter Fehler."},
    {ERROR_REQUEST_TIMEOUT, "Zeitüberschreitung bei der Anforderung."},
    {ERROR_SERVER_NOT_RESPONDING, "Der RAS-Server antwortet nicht."},
    {ERROR_FROM_DEVICE, "Das Modem (oder ein anderes Verbindungsgerät) hat einen Fehler gemeldet."},
    {ERROR_DEVICE_NOT_READY, "Das Modem (oder ein anderes Verbindungsgerät) ist nicht bereit."},
    {ERROR_NO_CONNECTION, "Die Verbindung wurde getrennt."},
    {ERROR_LINE_BUSY, "Die Telefonleitung ist besetzt."},
    {ERROR_VOICE_ANSWER, "Eine Person hat anstelle eines Modems den Anruf angenommen."},
    {ERROR_NO_ANSWER, "Der Remotecomputer antwortet nicht."},
    {ERROR_NO_CARRIER, "Es wurde kein Trägersignal gefunden."},
    {ERROR_NO_DIALTONE, "Es wurde kein Wählton erkannt."},
    {ERROR_AUTHENTICATION_FAILURE,
     "Der Zugriff wurde verweigert, da Benutzername und/oder Kennwort in der Domäne ungültig "
     "ist."},
    {ERROR_PORT_OR_DEVICE,
     "Es ist ein Hardwarefehler im Modem (oder einem anderen Verbindungsgerät) aufgetreten."},
    {ERROR_RASMAN_CANNOT_INITIALIZE, "Der RAS-Verbindungs-Manager konnte nicht gestartet werden."},
    {ERROR_PPP_TIMEOUT, "Zeitüberschreitung beim Warten auf eine gültige Antwort vom "
                        "Remotecomputer."},
    {ERROR_PPP_REMOTE_TERMINATED, "Die Verbindung wurde vom Remotecomputer beendet."},
    {ERROR_PPP_NO_PROTOCOLS_CONFIGURED,
     "Es konnten keine PPP-Steuerungsprotokolle ausgehandelt werden."},
    {ERROR_PPP_NO_RESPONSE, "Der Remotecomputer antwortet nicht."},
    {ERROR_PHONE_NUMBER_TOO_LONG, "Die Rufnummer einschließlich Präfix und Suffix ist zu lang."},
    {ERROR_PROTOCOL_NOT_CONFIGURED, "Das Protokoll ist nicht konfiguriert."},
};

}  // namespace

RASAPI_EXPORT DWORD WINAPI RasGetErrorStringA(UINT uErrorValue, LPSTR lpszErrorString,
                                              DWORD cBufSize) {
    if (!lpszErrorString || !cBufSize) return ERROR_INVALID_PARAMETER;
    if (uErrorValue < RASBASE || uErrorValue > RASBASEEND) return ERROR_INVALID_PARAMETER;
    std::string text;
    for (const ErrorText& entry : kTexts)
        if (entry.code == uErrorValue) text = winapi::utf8ToCp1252(entry.text);
    if (text.empty()) {
        char number[64];
        std::snprintf(number, sizeof number, "RAS-Fehler %u.", uErrorValue);
        text = number;
    }
    if (text.size() + 1 > cBufSize) return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(lpszErrorString, text.c_str(), text.size() + 1);
    return ERROR_SUCCESS;
}
