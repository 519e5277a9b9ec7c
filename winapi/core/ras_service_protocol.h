// What the prefix's processes (rasapi32, WinSock's AutoDial) and the remote-access service
// (services/rasman) say to each other on the prefix bus. Texts travel as UTF-8; handles are the
// service's 32-bit connection numbers.
//
//   Dial(s entry, s phone, s user, s password, s domain, s notifyBus, u hwnd) -> (u error, u handle)
//       notifyBus and hwnd name the window that receives "RasDialEvent" ("" and 0: none)
//   HangUp(u handle) -> (u error)
//   Status(u handle) -> (u error, u state, u dialError, s deviceType, s deviceName)
//   List() -> (a(usss) handle, entry, deviceType, deviceName)      connections not yet ended
//   Projection(u handle) -> (u error, u projectionError, s ipAddress)
//   AutoDial() -> (u error, b dialled)
//       with no connection being dialled or up, dials the entry HKCU "RemoteAccess"
//       "InternetProfile" names through the library the entry names; answered when the library
//       returns (dialled: it reports the entry connected)
//
// The service ends by itself after the prefix's idle time without a caller on the bus, a
// connection up or a dial in progress. A call that reaches it while it ends is answered with the
// error kServiceEnding and is made again, to the next instance.
#pragma once

namespace winapi::ras {

inline constexpr const char* kServiceName = "org.lumora.RasMan";
inline constexpr const char* kServicePath = "/org/lumora/RasMan";
inline constexpr const char* kServiceInterface = "org.lumora.RasMan";
// The service's program, beside rasapi32.
inline constexpr const char* kServiceProgram = "rasman";
inline constexpr const char* kServiceEnding = "org.lumora.RasMan.Ending";

}  // namespace winapi::ras
