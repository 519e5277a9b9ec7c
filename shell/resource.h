// Identifiers of the browser center's string table: the build-time values a provider build
// changes (provider name, defaults, sizes, switches).
#pragma once

#include <windows.h>

#include "trace.h"  // IDS_TRACE_SWITCH

inline constexpr UINT IDS_PROVIDER_NAME = 100;       // name of the provider's dial-up entry
inline constexpr UINT IDS_DEFAULT_USER_NAME = 101;   // " " stands for an empty text
inline constexpr UINT IDS_DEFAULT_PASSWORD = 102;    // " " stands for an empty text
inline constexpr UINT IDS_DEFAULT_PHONE_NUMBER = 103;
inline constexpr UINT IDS_UPDATE_BASE_URL = 104;
inline constexpr UINT IDS_PRODUCT_TITLE = 105;
inline constexpr UINT IDS_START_PAGE = 106;
inline constexpr UINT IDS_STARTUP_MODE_DEFAULT = 107;
inline constexpr UINT IDS_BROWSER_WIDTH = 109;       // 0: the window keeps its own size
inline constexpr UINT IDS_BROWSER_HEIGHT = 110;
inline constexpr UINT IDS_POPUP_WIDTH = 111;
inline constexpr UINT IDS_POPUP_HEIGHT = 112;
inline constexpr UINT IDS_ASK_ON_CLOSE_ANY = 113;    // "1": ask about any connection on close
inline constexpr UINT IDS_UPDATE_PERIOD = 115;       // whole seconds
inline constexpr UINT IDS_USER_NAME_SUFFIX = 121;    // " " stands for no suffix
inline constexpr UINT IDS_DIAL_CANCELLED = 123;      // the dial progress after the user's cancel
inline constexpr UINT IDS_DIAL_FAILED = 124;         // the dial progress when the dial cannot start
inline constexpr UINT IDS_SIGNUP_PHONE_NUMBER = 125;
inline constexpr UINT IDS_HANG_UP_QUESTION_WAIT = 126;  // seconds before the question hangs up
inline constexpr UINT IDS_SIGNUP_PAGE = 129;         // the signup page when none is recorded
