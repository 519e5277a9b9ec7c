// The updater's download: one file over HTTP/1.0 with its own minimal WinSock 1.1 client,
// through the proxy of the Internet settings when one is enabled, asking with If-Modified-Since
// after a finished run, into a temporary file.
#pragma once

#include "update_messages.h"

#include <cstddef>

inline constexpr size_t kRequestSize = 768;
// The whole response head must fit into one block of this size; the body is copied through the
// same block straight to disk, so memory does not grow with the file.
inline constexpr size_t kReceiveSize = 4096;

// How long the updater waits for a connection, and for each receive, before it gives the transfer
// up as broken. It runs without a window, so nobody could end it by hand: a server that accepts
// and then says nothing must not keep it (and the browser center's file) waiting for ever. Both
// are generous for a dial-up line: a connection needs a few seconds, and a live transfer never
// goes a minute without data.
inline constexpr DWORD kConnectTimeoutSeconds = 30;
inline constexpr DWORD kReceiveTimeoutMilliseconds = 60 * 1000;

// The request for `remote`: plain, or conditional with the record's Last-Modified text when the
// last run finished, no temporary file is left over and the local file (or, for compressed
// ".ex_" and ".dl_" names, nothing) is there. The target is always the full URL; there is no
// Host header: the server decides with the stored date alone.
void buildRequest(const char* remote, const char* temporary, const char* local,
                  char (&request)[kRequestSize]);

// Fetches `remote` into `temporary` and keeps the record of (remote, temporary). WinSock must be
// started. Posts the start message with 0 once the host is known, progress whenever the
// percentage of the body written changes, and the fail message for any failure (304 and 302
// included). The status is that of the status line; header names are matched without regard to
// case. A 200 answer must announce its Content-Length, and the body ends after exactly that many
// bytes; after a body that broke off or came short of that length, or had no length, the
// temporary file and "Date" are removed. True when the announced length has arrived.
bool fetchRemoteFile(const char* remote, const char* temporary, const char* local,
                     const UpdateMessages& messages);
