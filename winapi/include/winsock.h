/* ws2_32: WinSock 1.1, the blocking TCP client calls (and the listener calls their tests need).
 *
 * The host C library declares its own socket(), connect(), select() ... under the same names. So
 * that neither shadows the other in a process, the WinSock functions whose names the C library
 * also uses are bound to "lumora_ws2_*" symbols, and WinSock's fd_set (a counted array of
 * SOCKETs, not a bit mask) is a type of its own that the name fd_set stands for after this header.
 * A translation unit cannot include both this header and the host's socket headers. */
#ifndef LUMORA_WINAPI_WINSOCK_H
#define LUMORA_WINAPI_WINSOCK_H

#if defined(_SYS_SOCKET_H) || defined(_NETINET_IN_H) || defined(_NETDB_H) || defined(_ARPA_INET_H)
#error "winsock.h cannot share a translation unit with the host's socket headers (define WIN32_LEAN_AND_MEAN before windows.h)"
#endif

#include "windef.h"

/* struct timeval and u_char/u_short/u_int/u_long come from the C library, which the C and C++
 * headers pull in anyway; its fd_set, FD_* macros and select() are replaced below. */
#include <sys/types.h>
#include <sys/select.h>

#ifdef __cplusplus
extern "C" {
#endif

#define LUMORA_WS2_NAME(name) __asm__("lumora_ws2_" #name)

typedef UINT_PTR SOCKET;
#define INVALID_SOCKET ((SOCKET)(~0))
#define SOCKET_ERROR (-1)

typedef struct timeval TIMEVAL, *PTIMEVAL, *LPTIMEVAL;

/* fd_set as WinSock has it: a count and an array of sockets. */
#undef FD_SETSIZE
#define FD_SETSIZE 64
typedef struct lumora_ws2_fd_set {
    u_int fd_count;
    SOCKET fd_array[FD_SETSIZE];
} lumora_ws2_fd_set;
#define fd_set lumora_ws2_fd_set
typedef fd_set FD_SET, *PFD_SET, *LPFD_SET;

int WINAPI __WSAFDIsSet(SOCKET fd, fd_set *set);

#undef FD_CLR
#undef FD_SET
#undef FD_ZERO
#undef FD_ISSET
#define FD_ZERO(set) (((fd_set *)(set))->fd_count = 0)
#define FD_ISSET(fd, set) __WSAFDIsSet((SOCKET)(fd), (fd_set *)(set))
#define FD_SET(fd, set)                                                                   \
    do {                                                                                  \
        u_int lumora_i_;                                                                  \
        for (lumora_i_ = 0; lumora_i_ < ((fd_set *)(set))->fd_count; lumora_i_++)         \
            if (((fd_set *)(set))->fd_array[lumora_i_] == (SOCKET)(fd)) break;            \
        if (lumora_i_ == ((fd_set *)(set))->fd_count && lumora_i_ < FD_SETSIZE) {         \
            ((fd_set *)(set))->fd_array[lumora_i_] = (SOCKET)(fd);                        \
            ((fd_set *)(set))->fd_count++;                                                \
        }                                                                                 \
    } while (0)
#define FD_CLR(fd, set)                                                                   \
    do {                                                                                  \
        u_int lumora_i_;                                                                  \
        for (lumora_i_ = 0; lumora_i_ < ((fd_set *)(set))->fd_count; lumora_i_++) {       \
            if (((fd_set *)(set))->fd_array[lumora_i_] == (SOCKET)(fd)) {                 \
                for (; lumora_i_ + 1 < ((fd_set *)(set))->fd_count; lumora_i_++)          \
                    ((fd_set *)(set))->fd_array[lumora_i_] =                              \
                        ((fd_set *)(set))->fd_array[lumora_i_ + 1];                       \
                ((fd_set *)(set))->fd_count--;                                            \
                break;                                                                    \
            }                                                                             \
        }                                                                                 \
    } while (0)

/* Addresses (IPv4 only, as WinSock 1.1). */
#define AF_UNSPEC 0
#define AF_INET 2
#define PF_UNSPEC AF_UNSPEC
#define PF_INET AF_INET
#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define IPPROTO_IP 0
#define IPPROTO_TCP 6
#define IPPROTO_UDP 17

#define INADDR_ANY ((u_long)0x00000000)
#define INADDR_LOOPBACK 0x7f000001
#define INADDR_BROADCAST ((u_long)0xffffffff)
#define INADDR_NONE 0xffffffff

struct in_addr {
    union {
        struct { u_char s_b1, s_b2, s_b3, s_b4; } S_un_b;
        struct { u_short s_w1, s_w2; } S_un_w;
        ULONG S_addr;
    } S_un;
};
#define s_addr S_un.S_addr
#define s_host S_un.S_un_b.s_b2
#define s_net S_un.S_un_b.s_b1
#define s_imp S_un.S_un_w.s_w2
#define s_impno S_un.S_un_b.s_b4
#define s_lh S_un.S_un_b.s_b3
typedef struct in_addr IN_ADDR, *PIN_ADDR, *LPIN_ADDR;

struct sockaddr {
    u_short sa_family;
    char sa_data[14];
};
typedef struct sockaddr SOCKADDR, *PSOCKADDR, *LPSOCKADDR;

struct sockaddr_in {
    short sin_family;
    u_short sin_port;
    struct in_addr sin_addr;
    char sin_zero[8];
};
typedef struct sockaddr_in SOCKADDR_IN, *PSOCKADDR_IN, *LPSOCKADDR_IN;

struct hostent {
    char *h_name;
    char **h_aliases;
    short h_addrtype;
    short h_length;
    char **h_addr_list;
};
#define h_addr h_addr_list[0]
typedef struct hostent HOSTENT, *PHOSTENT, *LPHOSTENT;

/* Socket options and ioctls. */
#define SOL_SOCKET 0xffff
#define SO_DEBUG 0x0001
#define SO_ACCEPTCONN 0x0002
#define SO_REUSEADDR 0x0004
#define SO_KEEPALIVE 0x0008
#define SO_LINGER 0x0080
#define SO_SNDBUF 0x1001
#define SO_RCVBUF 0x1002
#define SO_SNDTIMEO 0x1005
#define SO_RCVTIMEO 0x1006
#define SO_ERROR 0x1007
#define SO_TYPE 0x1008
#define TCP_NODELAY 0x0001

struct linger {
    u_short l_onoff;
    u_short l_linger;
};
typedef struct linger LINGER, *PLINGER, *LPLINGER;

#define FIONREAD ((long)0x4004667FL)
#define FIONBIO ((long)0x8004667EL)

#define MSG_OOB 0x1
#define MSG_PEEK 0x2
#define MSG_DONTROUTE 0x4
#define SOMAXCONN 5

/* WSAStartup. */
#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128
typedef struct WSAData {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char *lpVendorInfo;
} WSADATA, *LPWSADATA;

/* WinSock error codes (WSAGetLastError). */
#define WSABASEERR 10000
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAEALREADY 10037
#define WSAENOTSOCK 10038
#define WSAEDESTADDRREQ 10039
#define WSAEMSGSIZE 10040
#define WSAEPROTOTYPE 10041
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAESOCKTNOSUPPORT 10044
#define WSAEOPNOTSUPP 10045
#define WSAEPFNOSUPPORT 10046
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAENETRESET 10052
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAEHOSTDOWN 10064
#define WSAEHOSTUNREACH 10065
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004

int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData);
int WINAPI WSACleanup(void);
int WINAPI WSAGetLastError(void);
void WINAPI WSASetLastError(int iError);

SOCKET WINAPI socket(int af, int type, int protocol) LUMORA_WS2_NAME(socket);
int WINAPI closesocket(SOCKET s);
int WINAPI connect(SOCKET s, const struct sockaddr *name, int namelen) LUMORA_WS2_NAME(connect);
int WINAPI bind(SOCKET s, const struct sockaddr *name, int namelen) LUMORA_WS2_NAME(bind);
int WINAPI listen(SOCKET s, int backlog) LUMORA_WS2_NAME(listen);
SOCKET WINAPI accept(SOCKET s, struct sockaddr *addr, int *addrlen) LUMORA_WS2_NAME(accept);
int WINAPI getsockname(SOCKET s, struct sockaddr *name, int *namelen) LUMORA_WS2_NAME(getsockname);
int WINAPI send(SOCKET s, const char *buf, int len, int flags) LUMORA_WS2_NAME(send);
int WINAPI recv(SOCKET s, char *buf, int len, int flags) LUMORA_WS2_NAME(recv);
int WINAPI shutdown(SOCKET s, int how) LUMORA_WS2_NAME(shutdown);
int WINAPI setsockopt(SOCKET s, int level, int optname, const char *optval, int optlen)
    LUMORA_WS2_NAME(setsockopt);
int WINAPI getsockopt(SOCKET s, int level, int optname, char *optval, int *optlen)
    LUMORA_WS2_NAME(getsockopt);
int WINAPI ioctlsocket(SOCKET s, long cmd, u_long *argp);

struct hostent *WINAPI gethostbyname(const char *name) LUMORA_WS2_NAME(gethostbyname);
unsigned long WINAPI inet_addr(const char *cp) LUMORA_WS2_NAME(inet_addr);
char *WINAPI inet_ntoa(struct in_addr in) LUMORA_WS2_NAME(inet_ntoa);
u_long WINAPI htonl(u_long hostlong) LUMORA_WS2_NAME(htonl);
u_short WINAPI htons(u_short hostshort) LUMORA_WS2_NAME(htons);
u_long WINAPI ntohl(u_long netlong) LUMORA_WS2_NAME(ntohl);
u_short WINAPI ntohs(u_short netshort) LUMORA_WS2_NAME(ntohs);

#ifdef __cplusplus
}

/* select() with WinSock's fd_set: an overload beside the C library's, so both can be declared. */
int WINAPI select(int nfds, fd_set *readfds, fd_set *writefds, fd_set *exceptfds,
                  const PTIMEVAL timeout);
#endif

#endif
