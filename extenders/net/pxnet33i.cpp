// pxnet33i: the internet extender's entry point. The host asks for the table of words (98),
// unloads (99) and asks for the description (100); every other identifier is a use of a word,
// dispatched here after the protocol's checks.
#include "pxnet.h"

#include "ftp_dialog.h"

namespace pxnet {
namespace {

#define PXL_FUNCTION(id, name, args) {id, kFunctionWord, args, 31, 0, name}
#define PXL_CONSTANT(id, name, value) {id, kConstantWord, value, 0, 0, name}

const ExtenderFunctionTable kTable[] = {
    PXL_FUNCTION(1, "ibegin", 3),         PXL_FUNCTION(2, "iclose", 1),
    PXL_FUNCTION(3, "ihostconnect", 5),   PXL_FUNCTION(4, "iurlopen", 2),
    PXL_FUNCTION(5, "ireaddata", 2),      PXL_FUNCTION(6, "icontentdata", 4),
    PXL_FUNCTION(7, "icontentfile", 4),   PXL_FUNCTION(8, "ihttpinit", 5),
    PXL_FUNCTION(9, "ihttpopen", 4),      PXL_FUNCTION(10, "iversion", 0),
    PXL_FUNCTION(11, "igetlasterror", 0), PXL_CONSTANT(12, "@http", 0),
    PXL_CONSTANT(13, "@https", 1),        PXL_CONSTANT(14, "@ftp", 2),
    PXL_CONSTANT(15, "@gopher", 3),       PXL_FUNCTION(16, "ioptionget", 2),
    PXL_FUNCTION(17, "ioptionset", 3),    PXL_FUNCTION(18, "igetresponse", 0),
    PXL_FUNCTION(19, "ihttpheaders", 1),  PXL_FUNCTION(20, "iftpopen", 4),
    PXL_FUNCTION(21, "iwritedata", 2),    PXL_FUNCTION(22, "iftpdirmake", 2),
    PXL_FUNCTION(23, "iftpdirget", 1),    PXL_FUNCTION(24, "iftpget", 5),
    PXL_CONSTANT(25, "@binary", 945),     PXL_CONSTANT(26, "@ascii", 946),
    PXL_CONSTANT(27, "@true", 1),         PXL_CONSTANT(28, "@false", 0),
    PXL_FUNCTION(29, "iftpput", 5),       PXL_FUNCTION(30, "iftpdirremove", 2),
    PXL_FUNCTION(31, "iftpdelete", 2),    PXL_FUNCTION(32, "iftprename", 3),
    PXL_FUNCTION(33, "iftpdirchange", 2), PXL_FUNCTION(34, "iftpfindinit", 5),
    PXL_FUNCTION(35, "iftpfindnext", 1),  PXL_FUNCTION(36, "ilocfindinit", 3),
    PXL_FUNCTION(37, "ilocfindnext", 1),  PXL_FUNCTION(38, "iftpdialog", 5),
    PXL_FUNCTION(39, "igetconstate", 1),  PXL_FUNCTION(40, "iDial", 2),
    PXL_FUNCTION(41, "iDialHangUp", 1),   PXL_FUNCTION(42, "iDialItemize", 0),
    PXL_CONSTANT(43, "@ftppassive", 4),   PXL_FUNCTION(44, "ilogdata", 2),
    PXL_FUNCTION(45, "iUrlEncode", 1),    PXL_FUNCTION(46, "iUrlDecode", 1),
    PXL_FUNCTION(47, "test", 1),          PXL_FUNCTION(48, "testbad", 1),
    {kTableEnd, 0, 0, 0, 0, ""},
};

HMODULE ownModule() { return GetModuleHandleA("pxnet33i.dll"); }

LONG dispatch(DWORD id, const ExtenderCall& call) {
    switch (id) {
    case 1: return ibegin(call);
    case 2: return iclose(call);
    case 3: return ihostconnect(call);
    case 4: return iurlopen(call);
    case 5: return ireaddata(call);
    case 6: return icontent(call, false);
    case 7: return icontent(call, true);
    case 8: return ihttpinit(call);
    case 9: return ihttpopen(call);
    case 10: return call.returnNumber(kVersion);
    case 12: return call.returnNumber(0);
    case 13: return call.returnNumber(1);
    case 14: return call.returnNumber(2);
    case 15: return call.returnNumber(3);
    case 16: return ioptionget(call);
    case 17: return ioptionset(call);
    case 18: return igetresponse(call);
    case 19: return ihttpheaders(call);
    case 20: return iftpopen(call);
    case 21: return iwritedata(call);
    case 22:
    case 30:
    case 31:
    case 33: return iftppath(call, id);
    case 23: return iftpdirget(call);
    case 24: return iftptransfer(call, true);
    case 25: return call.returnNumber(kBinary);
    case 26: return call.returnNumber(kAscii);
    case 27: return call.returnNumber(1);
    case 28: return call.returnNumber(0);
    case 29: return iftptransfer(call, false);
    case 32: return iftprename(call);
    case 34: return iftpfindinit(call);
    case 35: return iftpfindnext(call);
    case 36: return ilocfindinit(call);
    case 37: return ilocfindnext(call);
    case 38: return iftpdialog(call);
    case 39: return igetconstate(call);
    case 40: return idial(call);
    case 41: return idialhangup(call);
    case 42: return idialitemize(call);
    case 43: return call.returnNumber(4);
    case 44: return ilogdata(call);
    case 45: return iurlcode(call, false);
    case 46: return iurlcode(call, true);
    case 47: return ftptest(call);
    case 48: return ftptestbad(call);
    default: return call.returnError(kErrorLevelProtocol, message(901));
    }
}

}  // namespace

State& state() {
    static State s;
    return s;
}

std::string message(UINT id) { return extenderMessage(ownModule(), "PXLX Extender", id); }

LONG fail(const ExtenderCall& call, UINT id) { return call.returnError(kErrorLevelArgument, message(id)); }

void keepError() { state().lastError = GetLastError(); }

HINTERNET handleArg(const char* text, bool* secure) {
    while (*text == ' ') ++text;
    const bool s = *text == 'S' || *text == 's';
    if (secure) *secure = s;
    return reinterpret_cast<HINTERNET>(static_cast<DWORD_PTR>(parseNumber(s ? text + 1 : text)));
}

DWORD handleType(HINTERNET handle) {
    if (!handle) return 0;
    DWORD type = 0, size = sizeof type;
    const DWORD saved = GetLastError();
    const BOOL ok = InternetQueryOptionA(handle, INTERNET_OPTION_HANDLE_TYPE, &type, &size);
    SetLastError(saved);
    return ok ? type : 0;
}

}  // namespace pxnet

using namespace pxnet;

extern "C" LONG WINAPI PXLExtender(HWND window, DWORD_PTR unused, DWORD_PTR contextA, DWORD function,
                                   PXLCALLBACK callback, DWORD_PTR contextB, PXLHostBuffer* hostBuffer, LPSTR a1,
                                   LPSTR a2, LPSTR a3, LPSTR a4, LPSTR a5) {
    (void)window;
    (void)unused;
    State& s = state();
    const DWORD id = function & 0xffff;
    const ExtenderCall call(callback, contextA, contextB, hostBuffer, a1, a2, a3, a4, a5);
    if (s.cancelPending && id != kUnload) {
        s.cancelPending = false;
        return kCancelled;
    }
    if (id == 11) return call.returnNumber(static_cast<LONG>(s.lastError));
    if (id == kTableQuery) return answerTableQuery(kTable, call, s.firstQueryDone, s.versionAccepted);
    if (id == kUnload) {
        s.cancelPending = false;
        closeProgressDialog();
        forgetSearches();
        return 1;
    }
    if (id == kDescription) return answerDescription(call, message(1000));
    if (id < 1 || id > 100) return call.returnError(kErrorLevelProtocol, message(901));
    if (id <= 97 && !s.versionAccepted) return call.returnError(kErrorLevelProtocol, message(903));
    return dispatch(id, call);
}
