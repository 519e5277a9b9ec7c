// The modem search over the first four serial ports: a port counts when the registry lists it,
// it opens exclusively, takes 9600 8N1 and answers "AT&F1" or "AT&F" with "OK".
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Called once per port before it is tried, with the port number (1 to 4): the page steps its
// progress bar.
using ProbeStep = std::function<void(int port)>;

// Returns the number (1 to 4) of the first port with an answering modem, 0 when none answers.
// `acceptedCommand` receives the command the modem accepted ("&F1" or "&F"), empty for none.
int probeModemPorts(const ProbeStep& step, std::string& acceptedCommand);

// Whether "COM<port>" is listed under HKEY_LOCAL_MACHINE "Hardware\DeviceMap\Serialcomm", by a
// value of that name or as the data of a value ("Serial0", or NT's "\Device\Serial0").
bool isSerialPortListed(int port);
