// The look of one skin: the pages its panes show, where the panes sit, the title bar height, the
// mask and the skin of windows opened from it. Rectangles are left, top, right, bottom in client
// pixels; negative values count from the right or bottom edge (the window applies them).
#pragma once

#include <windows.h>

#include <string>

struct SkinLayout {
    std::string m_SkinName;
    std::string m_MaskFileName;
    std::string m_BrowserOfflineUrl = "about:blank";
    std::string m_BrowserOnlineUrl = "about:blank";
    std::string m_PortalOnlineUrl = "about:blank";
    std::string m_PortalOfflineUrl = "about:blank";
    std::string m_ExtraUrl = "about:blank";
    std::string m_TitleBarUrl;
    RECT m_LocationBarRect = {0, 0, 0, 0};
    RECT m_BrowserRect = {0, 0, 0, 0};
    RECT m_PortalRect = {0, 0, 0, 0};
    RECT m_ExtraRect = {0, 0, 0, 0};
    RECT m_TitleBarRect = {0, 0, -1, 20};
    LONG m_ProgressBarWidth = 100;
    std::string m_PopupPortal;
};
