// What the application object needs of the skins and of the skinned windows: the list of loaded
// skins, and each CLmrDlg (the browser windows and the popup) as far as the application drives it.
// The skin loader and the windows implement these.
#pragma once

#include <windows.h>

#include <string>

#include "skin_layout.h"

// The list of loaded skins.
class SkinStore {
public:
    virtual ~SkinStore() = default;
    // Finds the skin in the list or loads it; null when there is no such skin.
    virtual const SkinLayout* findOrLoadSkin(const std::string& skinName) = 0;
    // Sets the name and reads the skin's "skin.ini" into `layout`; false (other fields kept)
    // when the file does not exist.
    virtual bool readSkinIni(const std::string& skinName, SkinLayout& layout) = 0;
    // The layout a new window of the skin gets (the skin is loaded into the list when needed;
    // `appLayout` serves when the skin cannot be found).
    virtual SkinLayout layoutForNewWindow(const std::string& skinName, SkinLayout& appLayout) = 0;
    // Frees the list at the end of the run.
    virtual void freeSkins() = 0;
    // A skin's files were replaced: its new layout replaces the list entry of that name (or is
    // added); returns the stored layout.
    virtual const SkinLayout& refreshSkin(const SkinLayout& layout) = 0;
};

// One skinned window (CLmrDlg). It reports its own destruction to the application
// (CLmrApp::onInstanceClosed) and deletes itself afterwards.
class LmrWindow {
public:
    virtual ~LmrWindow() = default;
    virtual int windowNumber() const = 0;
    virtual bool handleExists() const = 0;
    virtual bool isClosing() const = 0;
    // The name of the skin the window shows.
    virtual const std::string& skinName() const = 0;
    virtual void setLayout(const SkinLayout& layout) = 0;
    virtual void setFocus() = 0;
    virtual void moveWindow(int x, int y, int width, int height) = 0;
    virtual void show() = 0;
    virtual void makeTopmost() = 0;
    // Dialog frame and system menu instead of the resizable frame.
    virtual void useDialogFrame() = 0;
    virtual void setBrowserOffline(bool offline) = 0;
    virtual void setAllPanesOffline(bool offline) = 0;
    virtual void setWithPortal(bool withPortal) = 0;
    virtual void showBrowserPane() = 0;
    // Title bar, portal and location bar empty, the extra pane over the whole client area.
    virtual void useExtraPaneOnly() = 0;
    virtual void navigateBrowser(const std::string& url) = 0;
    virtual void navigateExtra(const std::string& url) = 0;
    virtual void startTimer(UINT_PTR timerId) = 0;
    virtual void postClose() = 0;
    // The inner text of an element of the extra pane's page (the popup's status pages).
    virtual void setExtraElementText(const std::string& id, const std::string& text) = 0;
};

// Making windows, and the user-interface libraries they need.
class WindowFactory {
public:
    virtual ~WindowFactory() = default;
    // A new hidden window of the layout with that number; null when none could be made. The
    // window belongs to itself (see LmrWindow).
    virtual LmrWindow* createDialog(const SkinLayout& layout, int windowNumber) = 0;
    // Binds the shell's auto-complete function (at construction of the application).
    virtual void bindAutoComplete() = 0;
    // Enables hosting of browser controls and the 3-D controls (at start).
    virtual void enableControlContainment() = 0;
    // After enableControlContainment: whether skinned windows, and plain dialogs, can be shown.
    virtual bool windowsAvailable() const = 0;
    virtual bool dialogsAvailable() const = 0;
    // Releases the shell library (at the end of the run).
    virtual void releaseShellLibrary() = 0;
};
