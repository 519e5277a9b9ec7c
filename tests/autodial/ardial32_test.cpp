// Ardial32.dll as Windows meets it (run under Wine): loaded by name, each entry point looked up by
// its plain name and called through a standard-call pointer. On 32-bit x86 every call is made
// through a stub that checks the callee removed exactly its arguments from the stack. The browser
// center is a stand-in (dialer_standin.exe) that writes the outcome the test asks for.
#include <windows.h>

#include <gtest/gtest.h>

#include <ras.h>
#include <rasdlg.h>

#include <cstdint>
#include <string>
#include <vector>

#include "registry.h"

namespace {

constexpr const char* kStandIn = "Software\\LumoraTest\\DialerStandIn";

// Calls `function` with the argument words as the standard calling convention does; `unbalanced`
// gets how many bytes the callee left on (positive) or took too many from (negative) the stack.
uintptr_t callStandard(FARPROC function, const std::vector<uintptr_t>& args, long* unbalanced) {
#if defined(__i386__)
    uintptr_t result = 0;
    long left = static_cast<long>(args.size());
    const uintptr_t* words = args.data();
    asm volatile(
        "movl %%esp, %%esi\n\t"
        "1: testl %%ecx, %%ecx\n\t"
        "jz 2f\n\t"
        "pushl -4(%%ebx,%%ecx,4)\n\t"
        "decl %%ecx\n\t"
        "jmp 1b\n\t"
        "2: call *%%edi\n\t"
        "movl %%esi, %%ecx\n\t"
        "subl %%esp, %%ecx\n\t"
        "movl %%esi, %%esp\n\t"
        : "=a"(result), "+c"(left)
        : "D"(function), "b"(words)
        : "esi", "edx", "memory", "cc");
    *unbalanced = left;
    return result;
#else
    // Elsewhere there is one calling convention: the callee cannot leave the stack unbalanced.
    *unbalanced = 0;
    using Eight = uintptr_t(WINAPI*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                     uintptr_t, uintptr_t, uintptr_t);
    std::vector<uintptr_t> a = args;
    a.resize(8, 0);
    return reinterpret_cast<Eight>(reinterpret_cast<void*>(function))(a[0], a[1], a[2], a[3],
                                                                      a[4], a[5], a[6], a[7]);
#endif
}

template <typename T>
uintptr_t word(T value) {
    return (uintptr_t)(value);
}

class Ardial32 : public ::testing::Test {
protected:
    void SetUp() override {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, sizeof path);
        folder_ = path;
        folder_.erase(folder_.find_last_of('\\') + 1);
        library_ = LoadLibraryA("Ardial32.dll");
        ASSERT_NE(library_, nullptr) << GetLastError();
        regWriteString("Software\\Tarnwell\\AutoDial\\Provider", "Name",
                       (folder_ + "dialer_standin.exe").c_str());
        regWriteString(kStandIn, "Entry", "Provider");
        regWriteDword(kStandIn, "Delay", 200);
        regWriteDword(kStandIn, "Starts", 0);
    }
    void TearDown() override {
        if (library_) FreeLibrary(library_);
    }
    // Calls the export with the argument words; the stack must be as before.
    uintptr_t call(const char* name, const std::vector<uintptr_t>& args) {
        FARPROC f = GetProcAddress(library_, name);
        EXPECT_NE(f, nullptr) << name;
        if (!f) return 0;
        long unbalanced = 0;
        const uintptr_t result = callStandard(f, args, &unbalanced);
        EXPECT_EQ(unbalanced, 0) << name << " left the stack unbalanced";
        return result;
    }

    std::string folder_;
    HMODULE library_ = nullptr;
};

}  // namespace

TEST_F(Ardial32, EveryEntryPointHandsTheDialToTheBrowserCenter) {
    EXPECT_EQ(call("RasCustomDial", {0, 0, 0, 0, 0, 0, 0, 0}), 0u);
    EXPECT_EQ(call("RasCustomHangUp", {0}), 1u);

    WCHAR entry[] = {'P', 'r', 'o', 'v', 'i', 'd', 'e', 'r', 0};
    regWriteString(kStandIn, "Outcome", "1");
    RASDIALDLG dial{};
    dial.dwSize = sizeof dial;
    dial.dwError = 99;
    EXPECT_EQ(call("RasCustomDialDlg", {0, 0, 0, word(entry), 0, word(&dial), 0}), 1u);
    EXPECT_EQ(dial.dwError, 0u);

    RASENTRYDLGW entryDialog{};
    entryDialog.dwSize = sizeof entryDialog;
    entryDialog.dwError = 99;
    EXPECT_EQ(call("RasCustomEntryDlg", {0, 0, word(entry), word(&entryDialog), 0}), 1u);
    EXPECT_EQ(entryDialog.dwError, 0u);

    // The handler reports a refused dial in the result code, having handed it over.
    regWriteString(kStandIn, "Outcome", "0");
    char ansiEntry[] = "Provider";
    DWORD code = 99;
    EXPECT_EQ(call("TNAutoDialHandlerA", {0, word(ansiEntry), 0, word(&code)}), 1u);
    EXPECT_EQ(code, 631u);
    EXPECT_EQ(regReadDword(kStandIn, "Starts", 0), 3u);

    // An entry no one registered: nothing is started.
    char unknown[] = "Niemand";
    code = 99;
    EXPECT_EQ(call("TNAutoDialHandlerA", {0, word(unknown), 0, word(&code)}), 0u);
    EXPECT_EQ(code, 631u);
    EXPECT_EQ(regReadDword(kStandIn, "Starts", 0), 3u);
}
