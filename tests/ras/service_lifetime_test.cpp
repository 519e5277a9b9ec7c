// How long a prefix's services live, seen from outside as real processes: the bus and rasman end
// after the idle time once the prefix's programs have ended, a connection that is up keeps rasman
// alive, a program that connects while the bus ends gets a working bus, and removing the prefix
// ends everything at once. This test process never joins the bus itself: only the programs it
// runs do.
#include "ras_fixture.h"
#include "run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>

using namespace ras_test;

namespace {

bool isBusShell(const std::filesystem::path& process) {
    const std::string cmdline = lumora_test::readWholeFile(process / "cmdline");
    return cmdline.find(std::string("\0lumora-bus\0", 12)) != std::string::npos;
}

// The running services of the prefix (found by the prefix they inherited), by kind:
// "rasman", "dbus-daemon" and "lumora-bus" (the shell that watches the daemon; not the subshells
// it forks for a moment).
std::multimap<std::string, pid_t> servicesOf(const std::string& prefix) {
    std::multimap<std::string, pid_t> found;
    const std::string marker = "LUMORA_PREFIX=" + prefix + '\0';
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const pid_t pid = std::atoi(name.c_str());
        if (pid == ::getpid()) continue;
        const std::string environ = lumora_test::readWholeFile(entry.path() / "environ");
        if (environ.find(marker) == std::string::npos) continue;
        std::string comm = lumora_test::readWholeFile(entry.path() / "comm");
        if (!comm.empty() && comm.back() == '\n') comm.pop_back();
        if (isBusShell(entry.path())) {
            // /proc/PID/stat: "pid (comm) state ppid ..."; a shell's comm has no parenthesis.
            const std::string stat = lumora_test::readWholeFile(entry.path() / "stat");
            const size_t close = stat.rfind(')');
            const int parent = close == std::string::npos ? 0 : std::atoi(stat.c_str() + close + 4);
            if (!isBusShell("/proc/" + std::to_string(parent))) found.emplace("lumora-bus", pid);
        } else if (comm == "rasman" || comm == "dbus-daemon") {
            found.emplace(comm, pid);
        }
    }
    return found;
}

std::string prefix() { return std::getenv("LUMORA_PREFIX"); }

// Waits (a generous bound against a hang, no timing check) until the prefix has no services.
bool servicesEnd(const std::string& prefixPath, int limitSeconds = 20) {
    for (int i = 0; i < limitSeconds * 10; ++i) {
        if (servicesOf(prefixPath).empty()) return true;
        Sleep(100);
    }
    return servicesOf(prefixPath).empty();
}

pid_t onlyOne(const std::multimap<std::string, pid_t>& services, const char* kind) {
    return services.count(kind) == 1 ? services.find(kind)->second : 0;
}

bool alive(pid_t pid) { return pid > 0 && ::kill(pid, 0) == 0; }

void listsNoConnection() {
    const auto listed = lumora_test::runProgram("rasdial", {});
    EXPECT_EQ(listed.exitCode, 0) << listed.out << listed.err;
    EXPECT_NE(listed.out.find("Keine Verbindungen"), std::string::npos) << listed.out;
}

class ServiceLifetime : public ::testing::Test {
protected:
    void SetUp() override {
        setProviderNumber("StepDelay", 1);
        DWORD oneSecond = 1;
        lumora_test::setMachineValue("System\\Lumora", "ServiceIdleSeconds", REG_DWORD,
                                     &oneSecond, sizeof oneSecond);
    }
};

TEST_F(ServiceLifetime, AFinishedPrefixHasNoServiceLeftAfterTheIdleTimeAndStartsThemAgain) {
    listsNoConnection();
    const auto started = servicesOf(prefix());
    EXPECT_TRUE(onlyOne(started, "rasman"));
    EXPECT_TRUE(onlyOne(started, "dbus-daemon"));
    EXPECT_TRUE(onlyOne(started, "lumora-bus"));

    EXPECT_TRUE(servicesEnd(prefix()));
    EXPECT_FALSE(std::filesystem::exists(prefix() + "/run/bus"));

    listsNoConnection();
    EXPECT_TRUE(onlyOne(servicesOf(prefix()), "rasman"));
    EXPECT_TRUE(servicesEnd(prefix()));
}

TEST_F(ServiceLifetime, AConnectionUpKeepsRasmanAliveForProgramsStartedLater) {
    makeEntry("Provider");
    const auto dialled = lumora_test::runProgram("rasdial", {"Provider", "kunde", "geheim"});
    ASSERT_EQ(dialled.exitCode, 0) << dialled.out << dialled.err;
    const pid_t rasman = onlyOne(servicesOf(prefix()), "rasman");
    ASSERT_TRUE(rasman);

    Sleep(4000);  // four idle times without any program of the prefix
    EXPECT_TRUE(alive(rasman));
    const auto listed = lumora_test::runProgram("rasdial", {});
    EXPECT_NE(listed.out.find("Verbunden mit\nProvider\n"), std::string::npos) << listed.out;
    EXPECT_EQ(connectionNames(), std::vector<std::string>{"Provider"});
    EXPECT_EQ(onlyOne(servicesOf(prefix()), "rasman"), rasman);

    // Hung up, the service has nothing left to keep it.
    EXPECT_EQ(lumora_test::runProgram("rasdial", {"Provider", "/disconnect"}).exitCode, 0);
    EXPECT_TRUE(connectionNames().empty());
    // This process is a client now; it leaves by letting the prefix go.
    std::filesystem::remove_all(prefix());
    EXPECT_TRUE(servicesEnd(prefix()));
}

// A program holds the connect lock from its look at the socket until it is on the bus; the bus
// takes it before it ends. Both sides are played here by this test holding the lock.
TEST_F(ServiceLifetime, AProgramConnectingWhileTheBusEndsGetsAWorkingBus) {
    listsNoConnection();
    const std::string lockPath = prefix() + "/run/bus.lock";
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(lock, 0);

    // A program in the middle of connecting: the idle bus does not end under it.
    ASSERT_EQ(::flock(lock, LOCK_SH), 0);
    const pid_t daemon = onlyOne(servicesOf(prefix()), "dbus-daemon");
    ASSERT_TRUE(daemon);
    Sleep(5000);  // rasman's idle time, then several of the bus's
    EXPECT_TRUE(alive(daemon));
    EXPECT_FALSE(onlyOne(servicesOf(prefix()), "rasman"));

    // The bus ending: it holds the lock, has removed its socket and is stopping its daemon, while
    // a program starts. The program waits for the lock and then starts a new bus.
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    ::unlink((prefix() + "/run/bus").c_str());
    auto program = std::async(std::launch::async, [] {
        return lumora_test::runProgram("rasdial", {});
    });
    EXPECT_EQ(program.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
    ::kill(daemon, SIGTERM);
    ::close(lock);
    const auto listed = program.get();
    EXPECT_EQ(listed.exitCode, 0) << listed.out << listed.err;
    EXPECT_NE(listed.out.find("Keine Verbindungen"), std::string::npos) << listed.out;
    const pid_t newDaemon = onlyOne(servicesOf(prefix()), "dbus-daemon");
    EXPECT_TRUE(newDaemon);
    EXPECT_NE(newDaemon, daemon);
    EXPECT_TRUE(servicesEnd(prefix()));
}

// rasman killed in the middle of a dial: the dialling program gets an error instead of waiting
// for ever, and the next request starts a new rasman that dials again.
TEST_F(ServiceLifetime, RasmanKilledWhileDiallingFailsTheDialAndTheNextRequestStartsANewOne) {
    makeEntry("Provider");
    setProviderNumber("StepDelay", 400);  // a dial of several seconds
    auto dial = std::async(std::launch::async, [] {
        return lumora_test::runProgram("rasdial", {"Provider", "kunde", "geheim"});
    });
    pid_t rasman = 0;
    for (int i = 0; i < 200 && !rasman; ++i) {
        Sleep(50);
        rasman = onlyOne(servicesOf(prefix()), "rasman");
    }
    ASSERT_TRUE(rasman) << "no rasman started for the dial";
    Sleep(800);  // into the dial's states
    ASSERT_EQ(dial.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout)
        << "the dial ended before rasman was killed";
    ASSERT_EQ(::kill(rasman, SIGKILL), 0);

    // A generous bound against a hang, not a timing check.
    ASSERT_EQ(dial.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "the dial hangs";
    const auto failed = dial.get();
    EXPECT_NE(failed.exitCode, 0) << failed.out << failed.err;
    EXPECT_EQ(failed.out.find("wurde hergestellt"), std::string::npos) << failed.out;

    setProviderNumber("StepDelay", 1);
    listsNoConnection();
    const pid_t newRasman = onlyOne(servicesOf(prefix()), "rasman");
    EXPECT_TRUE(newRasman);
    EXPECT_NE(newRasman, rasman);
    const auto dialled = lumora_test::runProgram("rasdial", {"Provider", "kunde", "geheim"});
    EXPECT_EQ(dialled.exitCode, 0) << dialled.out << dialled.err;
    const auto listed = lumora_test::runProgram("rasdial", {});
    EXPECT_NE(listed.out.find("Verbunden mit\nProvider\n"), std::string::npos) << listed.out;
    EXPECT_EQ(lumora_test::runProgram("rasdial", {"Provider", "/disconnect"}).exitCode, 0);
    const std::string path = prefix();
    std::filesystem::remove_all(path);
    EXPECT_TRUE(servicesEnd(path));
}

TEST_F(ServiceLifetime, RemovingThePrefixEndsItsServicesAtOnce) {
    makeEntry("Provider");
    ASSERT_EQ(lumora_test::runProgram("rasdial", {"Provider", "kunde", "geheim"}).exitCode, 0);
    ASSERT_EQ(servicesOf(prefix()).size(), 3u);

    const std::string path = prefix();
    std::filesystem::remove_all(path);
    // The connection that is up would keep rasman alive for ever under the idle rule: only the
    // prefix's removal can end it. The bound is a guard against a hang, not a timing check (a
    // loaded machine needs more than the half second the bus's watch takes).
    EXPECT_TRUE(servicesEnd(path));
}

}  // namespace
