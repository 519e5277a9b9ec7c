// The service's AutoDial (see auto_dial.h).
#include "auto_dial.h"

#include <ras.h>
#include <raserror.h>

#include "entry_fields.h"
#include "library_dial.h"
#include "phonebook.h"
#include "read_key.h"

#include <cstdio>
#include <string>
#include <thread>

namespace rasman {
namespace {

using namespace winapi::ras;

struct Finished {
    AutoDialer* dialer;
    LibraryDialResult result;
};

}  // namespace

void AutoDialer::request(GDBusMethodInvocation* invocation) {
    if (!connections_.active().empty()) {
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(ub)", 0u, FALSE));
        return;
    }
    waiting_.push_back(invocation);
    if (waiting_.size() > 1) return;  // joins the dial under way

    const std::string entry =
        winapi::ReadKey(HKEY_CURRENT_USER, "RemoteAccess").text("InternetProfile");
    Phonebook book;
    const PhonebookEntry* stored = nullptr;
    if (!entry.empty() && readPhonebook(book) == ERROR_SUCCESS) stored = findEntry(book, entry);
    if (!stored) {
        std::fprintf(stderr, "rasman: AutoDial: no Internet entry \"%s\" in the phonebook\n",
                     entry.c_str());
        answer(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, false);
        return;
    }
    std::vector<BYTE> properties(systemEntrySize());
    auto* fields = reinterpret_cast<RASENTRYA*>(properties.data());
    fields->dwSize = systemEntrySize();
    entryFromPhonebook(*stored, *fields);
    std::thread([this, entry, properties] {
        auto* finished = new Finished{
            this, dialThroughLibrary(entry, *reinterpret_cast<const RASENTRYA*>(properties.data()))};
        g_idle_add(
            [](gpointer data) {
                auto* f = static_cast<Finished*>(data);
                f->dialer->answer(f->result.error, f->result.outcome == LibraryDial::Connected);
                delete f;
                return G_SOURCE_REMOVE;
            },
            finished);
    }).detach();
}

void AutoDialer::answer(DWORD error, bool dialled) {
    for (GDBusMethodInvocation* invocation : waiting_)
        g_dbus_method_invocation_return_value(invocation,
                                              g_variant_new("(ub)", error, dialled ? TRUE : FALSE));
    waiting_.clear();
}

}  // namespace rasman
