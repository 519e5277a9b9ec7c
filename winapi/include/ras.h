/* Remote access (rasapi32): the ANSI calls and structures the system makes, in the layouts of
 * their first published versions. Structures that hold a handle keep it in 32 bits, as on 32-bit
 * Windows, so their sizes are those of Windows (RASCONN 412, RASDIALEXTENSIONS 16 ...). */
#ifndef LUMORA_WINAPI_RAS_H
#define LUMORA_WINAPI_RAS_H

#include "windef.h"

#define RAS_MaxEntryName 256
#define RAS_MaxDeviceType 16
#define RAS_MaxDeviceName 128
#define RAS_MaxPhoneNumber 128
#define RAS_MaxCallbackNumber 128
#define RAS_MaxAreaCode 10
#define RAS_MaxPadType 32
#define RAS_MaxX25Address 200
#define RAS_MaxFacilities 200
#define RAS_MaxUserData 200
#define RAS_MaxIpAddress 15
#define UNLEN 256
#define PWLEN 256
#define DNLEN 15

#ifdef __cplusplus
/* A handle stored in 32 bits: it converts to and from the pointer-sized handle type. */
template <typename H>
struct RasHandle32 {
    DWORD value;
    RasHandle32() = default;
    /* NULL, 0 and nullptr arrive here as null pointers; comparisons go through the handle type. */
    RasHandle32(H h) : value((DWORD)(UINT_PTR)h) {}
    operator H() const { return (H)(UINT_PTR)value; }
    explicit operator UINT_PTR() const { return value; }
};
struct HRASCONN__ { int unused; };
typedef RasHandle32<HRASCONN__*> HRASCONN;
typedef RasHandle32<HWND> RasHwnd32;
#endif
typedef HRASCONN *LPHRASCONN;

#define RASCS_PAUSED 0x1000
#define RASCS_DONE 0x2000
typedef enum tagRASCONNSTATE {
    RASCS_OpenPort = 0,
    RASCS_PortOpened,
    RASCS_ConnectDevice,
    RASCS_DeviceConnected,
    RASCS_AllDevicesConnected,
    RASCS_Authenticate,
    RASCS_AuthNotify,
    RASCS_AuthRetry,
    RASCS_AuthCallback,
    RASCS_AuthChangePassword,
    RASCS_AuthProject,
    RASCS_AuthLinkSpeed,
    RASCS_AuthAck,
    RASCS_ReAuthenticate,
    RASCS_Authenticated,
    RASCS_PrepareForCallback,
    RASCS_WaitForModemReset,
    RASCS_WaitForCallback,
    RASCS_Projected,
    RASCS_Interactive = RASCS_PAUSED,
    RASCS_RetryAuthentication,
    RASCS_CallbackSetByCaller,
    RASCS_PasswordExpired,
    RASCS_Connected = RASCS_DONE,
    RASCS_Disconnected
} RASCONNSTATE, *LPRASCONNSTATE;

typedef struct tagRASCONNA {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
} RASCONNA, RASCONN, *LPRASCONNA, *LPRASCONN;

typedef struct tagRASCONNSTATUSA {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
} RASCONNSTATUSA, RASCONNSTATUS, *LPRASCONNSTATUSA, *LPRASCONNSTATUS;

typedef struct tagRASDIALPARAMSA {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
    CHAR szCallbackNumber[RAS_MaxCallbackNumber + 1];
    CHAR szUserName[UNLEN + 1];
    CHAR szPassword[PWLEN + 1];
    CHAR szDomain[DNLEN + 1];
} RASDIALPARAMSA, RASDIALPARAMS, *LPRASDIALPARAMSA, *LPRASDIALPARAMS;

typedef struct tagRASDIALEXTENSIONS {
    DWORD dwSize;
    DWORD dwfOptions;
    RasHwnd32 hwndParent;
    DWORD reserved;
} RASDIALEXTENSIONS, *LPRASDIALEXTENSIONS;

typedef struct tagRASDEVINFOA {
    DWORD dwSize;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
} RASDEVINFOA, RASDEVINFO, *LPRASDEVINFOA, *LPRASDEVINFO;

typedef struct tagRASENTRYNAMEA {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
} RASENTRYNAMEA, RASENTRYNAME, *LPRASENTRYNAMEA, *LPRASENTRYNAME;

typedef struct RASCTRYINFO {
    DWORD dwSize;
    DWORD dwCountryID;
    DWORD dwNextCountryID;
    DWORD dwCountryCode;
    DWORD dwCountryNameOffset;
} RASCTRYINFOA, RASCTRYINFO, *LPRASCTRYINFOA, *LPRASCTRYINFO;

typedef struct RASIPADDR { BYTE a; BYTE b; BYTE c; BYTE d; } RASIPADDR;

typedef struct RASGUID {
    DWORD Data1; WORD Data2; WORD Data3; BYTE Data4[8];
} RASGUID;

/* The Windows 2000 form (2088 bytes). Earlier systems answer with a shorter size: 1768 (the
 * form of Windows 95 and 98, ending at dwReserved2) or 1796 (NT 4, ending at
 * dwIdleDisconnectSeconds); a caller of those systems uses only that prefix. */
typedef struct tagRASENTRYA {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    CHAR szAreaCode[RAS_MaxAreaCode + 1];
    CHAR szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    RASIPADDR ipaddr;
    RASIPADDR ipaddrDns;
    RASIPADDR ipaddrDnsAlt;
    RASIPADDR ipaddrWins;
    RASIPADDR ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    CHAR szScript[MAX_PATH];
    CHAR szAutodialDll[MAX_PATH];
    CHAR szAutodialFunc[MAX_PATH];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
    CHAR szX25PadType[RAS_MaxPadType + 1];
    CHAR szX25Address[RAS_MaxX25Address + 1];
    CHAR szX25Facilities[RAS_MaxFacilities + 1];
    CHAR szX25UserData[RAS_MaxUserData + 1];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
    DWORD dwSubEntries;
    DWORD dwDialMode;
    DWORD dwDialExtraPercent;
    DWORD dwDialExtraSampleSeconds;
    DWORD dwHangUpExtraPercent;
    DWORD dwHangUpExtraSampleSeconds;
    DWORD dwIdleDisconnectSeconds;
    DWORD dwType;
    DWORD dwEncryptionType;
    DWORD dwCustomAuthKey;
    RASGUID guidId;
    CHAR szCustomDialDll[MAX_PATH];
    DWORD dwVpnStrategy;
} RASENTRYA, RASENTRY, *LPRASENTRYA, *LPRASENTRY;

typedef struct tagRASPPPIPA {
    DWORD dwSize;
    DWORD dwError;
    CHAR szIpAddress[RAS_MaxIpAddress + 1];
} RASPPPIPA, RASPPPIP, *LPRASPPPIPA, *LPRASPPPIP;

typedef enum tagRASPROJECTION {
    RASP_Amb = 0x10000,
    RASP_PppNbf = 0x803F,
    RASP_PppIpx = 0x802B,
    RASP_PppIp = 0x8021,
    RASP_PppLcp = 0xC021,
    RASP_Slip = 0x20000
} RASPROJECTION;

/* What an entry's AutoDial function (szAutodialDll, szAutodialFunc) receives when the entry is
 * dialled on a system before Windows 2000. */
typedef struct tagRASADPARAMS {
    DWORD dwSize;
#ifdef __cplusplus
    RasHwnd32 hwndOwner;
#else
    DWORD hwndOwner;
#endif
    DWORD dwFlags;
    LONG xDlg;
    LONG yDlg;
} RASADPARAMS, *LPRASADPARAMS;
typedef BOOL (WINAPI *RASADFUNCA)(LPSTR lpszPhonebook, LPSTR lpszEntry, LPRASADPARAMS lpAutoDialParams,
                                  LPDWORD lpdwRetCode);

#define RASDIALEVENT "RasDialEvent"
#define WM_RASDIALEVENT 0xCCCD

#define RASET_Phone 1
#define RASET_Vpn 2
#define RASET_Direct 3
#define RASET_Internet 4

#define RASDT_Modem "modem"
#define RASDT_Isdn "isdn"

#define RASEO_UseCountryAndAreaCodes 0x00000001
#define RASEO_SpecificIpAddr 0x00000002
#define RASEO_SpecificNameServers 0x00000004
#define RASEO_RemoteDefaultGateway 0x00000010
#define RASEO_ModemLights 0x00000100
#define RASEO_SwCompression 0x00000200
#define RASEO_PreviewPhoneNumber 0x00200000
#define RASEO_ShowDialingProgress 0x01000000

#define RASNP_NetBEUI 0x00000001
#define RASNP_Ipx 0x00000002
#define RASNP_Ip 0x00000004
#define RASFP_Ppp 0x00000001

#define RASCN_Connection 0x00000001
#define RASCN_Disconnection 0x00000002

/* The flags that a custom-dial library's RasCustomDialDlg receives. */
#define RCD_SingleUser 0
#define RCD_AllUsers 0x00000001

#ifdef __cplusplus
extern "C" {
#endif

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS lpRasDialExtensions, LPCSTR lpszPhonebook,
                      LPRASDIALPARAMSA lpRasDialParams, DWORD dwNotifierType, LPVOID lpvNotifier,
                      LPHRASCONN lphRasConn);
DWORD WINAPI RasHangUpA(HRASCONN hrasconn);
DWORD WINAPI RasGetConnectStatusA(HRASCONN hrasconn, LPRASCONNSTATUSA lprasconnstatus);
DWORD WINAPI RasEnumConnectionsA(LPRASCONNA lprasconn, LPDWORD lpcb, LPDWORD lpcConnections);
DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR lpszPhonebook,
                             LPRASENTRYNAMEA lprasentryname, LPDWORD lpcb, LPDWORD lpcEntries);
DWORD WINAPI RasEnumDevicesA(LPRASDEVINFOA lpRasDevInfo, LPDWORD lpcb, LPDWORD lpcDevices);
DWORD WINAPI RasGetEntryPropertiesA(LPCSTR lpszPhonebook, LPCSTR lpszEntry,
                                    LPRASENTRYA lpRasEntry, LPDWORD lpdwEntryInfoSize,
                                    LPBYTE lpbDeviceInfo, LPDWORD lpdwDeviceInfoSize);
DWORD WINAPI RasSetEntryPropertiesA(LPCSTR lpszPhonebook, LPCSTR lpszEntry,
                                    LPRASENTRYA lpRasEntry, DWORD dwEntryInfoSize,
                                    LPBYTE lpbDeviceInfo, DWORD dwDeviceInfoSize);
DWORD WINAPI RasGetEntryDialParamsA(LPCSTR lpszPhonebook, LPRASDIALPARAMSA lprasdialparams,
                                    LPBOOL lpfPassword);
DWORD WINAPI RasSetEntryDialParamsA(LPCSTR lpszPhonebook, LPRASDIALPARAMSA lprasdialparams,
                                    BOOL fRemovePassword);
DWORD WINAPI RasGetCountryInfoA(LPRASCTRYINFOA lpRasCtryInfo, LPDWORD lpdwSize);
DWORD WINAPI RasGetErrorStringA(UINT uErrorValue, LPSTR lpszErrorString, DWORD cBufSize);
DWORD WINAPI RasValidateEntryNameA(LPCSTR lpszPhonebook, LPCSTR lpszEntry);
DWORD WINAPI RasRenameEntryA(LPCSTR lpszPhonebook, LPCSTR lpszOldEntry, LPCSTR lpszNewEntry);
DWORD WINAPI RasDeleteEntryA(LPCSTR lpszPhonebook, LPCSTR lpszEntry);
DWORD WINAPI RasGetProjectionInfoA(HRASCONN hrasconn, RASPROJECTION rasprojection,
                                   LPVOID lpprojection, LPDWORD lpcb);

#ifdef __cplusplus
}
#endif

#endif
