// A skinned window for the page tests: records every call as one line, keeps the page's
// elements in maps, and answers from its fields.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "page_host.h"

inline const char* paneName(PagePane pane) {
    switch (pane) {
    case PagePane::TitleBar: return "title";
    case PagePane::Portal: return "portal";
    case PagePane::Extra: return "extra";
    case PagePane::Browser: return "browser";
    }
    return "?";
}

// Records every call as one line; answers from its fields.
class RecordingHost : public PageHost {
public:
    std::vector<std::string> calls;
    bool app = true, dialup = true, connected = false, active = false, offline = false;
    bool maximised = false, ignoreConnect = false, standardWorks = true;
    std::string browserUrl = "http://example.org/", extraPage = "about:blank";
    std::string extraShown = "about:blank";
    PaneRects rects{RECT{10, 60, -1, -20}, RECT{0, 0, 0, 0}};

    void record(const std::string& line) { calls.push_back(line); }

    void navigate(PagePane pane, const std::string& url, const std::string& postData) override {
        record(std::string("navigate ") + paneName(pane) + " " + url +
               (postData.empty() ? "" : " post=" + postData));
    }
    void goBack(PagePane pane) override { record(std::string("back ") + paneName(pane)); }
    void goForward(PagePane pane) override { record(std::string("forward ") + paneName(pane)); }
    std::string currentUrl(PagePane pane) override {
        return pane == PagePane::Extra ? extraShown : browserUrl;
    }
    std::string locationName(PagePane) override { return "Beispiel"; }
    bool isOffline(PagePane) override { return offline; }
    void setOffline(PagePane pane, bool off) override {
        offline = off;
        record(std::string("offline ") + paneName(pane) + (off ? " on" : " off"));
    }
    bool execStandardCommand(int id) override {
        record("standard " + std::to_string(id));
        return standardWorks;
    }
    std::string cookieText() override { return "session=1"; }
    // The page's elements: inner HTML, attributes and outer HTML by id (all panes alike).
    std::map<std::string, std::string> texts, outer;
    std::map<std::string, std::string> attributes;  // "id.name"
    std::string elementText(PagePane, const std::string& id) override {
        auto it = texts.find(id);
        return it == texts.end() ? std::string() : it->second;
    }
    void setElementText(PagePane pane, const std::string& id, const std::string& text) override {
        record(std::string("text ") + paneName(pane) + " " + id + "=" + text);
        texts[id] = text;
    }
    std::string elementAttribute(PagePane, const std::string& id, const std::string& name) override {
        auto it = attributes.find(id + "." + name);
        return it == attributes.end() ? std::string() : it->second;
    }
    void setElementAttribute(PagePane pane, const std::string& id, const std::string& name,
                             const std::string& value) override {
        record(std::string("attribute ") + paneName(pane) + " " + id + "." + name + "=" + value);
        attributes[id + "." + name] = value;
    }
    std::string elementOuterHtml(PagePane, const std::string& id) override {
        auto it = outer.find(id);
        return it == outer.end() ? std::string() : it->second;
    }
    void setElementOuterHtml(PagePane pane, const std::string& id, const std::string& html) override {
        record(std::string("outer ") + paneName(pane) + " " + id);
        outer[id] = html;
    }
    void postClose() override { record("close"); }
    void minimise() override { record("minimise"); }
    bool isMaximised() override { return maximised; }
    void maximise() override { record("maximise"); }
    void restore() override { record("restore"); }
    void startTimer(UINT_PTR id) override { record("timer " + std::to_string(id)); }
    void messageBox(const std::string& text) override { record("box " + text); }
    PaneRects& paneRects() override { return rects; }
    RECT skinBrowserRect() override { return RECT{10, 60, -1, -20}; }
    void placePanes() override { record("place"); }
    std::string skinFolder() override { return "c:\\lumora\\defhtml\\"; }
    std::string browserOnlineUrl() override { return "http://portal.example/"; }
    void setSavedUrl(const std::string& url) override { record("saved " + url); }
    std::string extraUrl() override { return extraPage; }
    void setExtraUrl(const std::string& url) override { extraPage = url; }
    bool hasApp() override { return app; }
    bool dialupInUse() override { return dialup; }
    bool isConnected() override { return connected; }
    bool connectionActive() override { return active; }
    void showPopup(const std::string& page) override { record("popup " + page); }
    void closePopup() override { record("close popup"); }
    bool ignoresConnect() override { return ignoreConnect; }
    void toggleConnection() override { record("toggle"); }
    void onConnected() override { record("connected"); }
    void requestFileUpdate(const std::string& file) override { record("update " + file); }
    std::string listPhonebookEntries() override { return "Testnetz\tAndere"; }
    std::string listActiveConnections() override { return "Testnetz"; }
    void setAccountData(const std::string& number, const std::string& user,
                        const std::string& password) override {
        record("account " + number + "|" + user + "|" + password);
    }
    void addFavorite(const std::string& name, const std::string& url) override {
        record("favorite " + name + " " + url);
    }
    void organiseFavorites() override { record("organise"); }
    void rebuildFavoritesPages() override { record("rebuild favorites"); }
    void takeOverDialSettings() override { record("take over"); }
};
