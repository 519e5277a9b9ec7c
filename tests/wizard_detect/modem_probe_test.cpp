// The modem search end to end: simulated modems on pseudo-terminals linked as the prefix's serial
// ports, reached through the serial port functions and the registry's port list.
#include "modem_probe.h"

#include "modem_sim.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <unistd.h>

namespace {

using Commands = std::vector<std::string>;

struct ProbeRun {
    int port = -1;
    std::string command;
    std::vector<int> steps;
};

ProbeRun probe() {
    ProbeRun run;
    run.port = probeModemPorts([&](int n) { run.steps.push_back(n); }, run.command);
    return run;
}

TEST(ModemProbe, FindsTheModemOnTheThirdPortAfterAskingTheSilentOneBeforeIt) {
    ModemSim silent(1, "silent");
    ModemSim modem(3, "ok");
    ModemSim beyond(4, "ok");
    ASSERT_TRUE(silent.running() && modem.running() && beyond.running());
    const ProbeRun run = probe();
    EXPECT_EQ(run.port, 3);
    EXPECT_EQ(run.command, "&F1");
    EXPECT_EQ(run.steps, (std::vector<int>{1, 2, 3}));
    // The silent modem was asked both commands and the time-outs ended each wait.
    EXPECT_EQ(silent.commands(), (Commands{"AT&F1", "AT&F"}));
    EXPECT_EQ(modem.commands(), (Commands{"AT&F1"}));
    EXPECT_TRUE(beyond.commands().empty());
}

TEST(ModemProbe, AModemRefusingAndF1IsFoundWithAndF) {
    ModemSim modem(2, "f-only");
    ASSERT_TRUE(modem.running());
    const ProbeRun run = probe();
    EXPECT_EQ(run.port, 2);
    EXPECT_EQ(run.command, "&F");
    EXPECT_EQ(modem.commands(), (Commands{"AT&F1", "AT&F"}));
}

TEST(ModemProbe, OneByteAndErrorAnswersAreNoModem) {
    ModemSim oneByte(1, "one-byte");
    ModemSim refusing(2, "error");
    ASSERT_TRUE(oneByte.running() && refusing.running());
    const ProbeRun run = probe();
    EXPECT_EQ(run.port, 0);
    EXPECT_EQ(run.command, "");
    EXPECT_EQ(run.steps, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(oneByte.commands(), (Commands{"AT&F1", "AT&F"}));
    EXPECT_EQ(refusing.commands(), (Commands{"AT&F1", "AT&F"}));
}

TEST(ModemProbe, APortAnotherProcessHoldsIsSkipped) {
    ModemSim modem(1, "ok");
    ASSERT_TRUE(modem.running());
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        HANDLE port = CreateFileA("COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        const char held = port != INVALID_HANDLE_VALUE ? '1' : '0';
        (void)!::write(ready[1], &held, 1);
        char c;
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, '1');
    const ProbeRun whileHeld = probe();
    EXPECT_EQ(whileHeld.port, 0);
    EXPECT_TRUE(modem.commands().empty());
    ASSERT_EQ(::write(release[1], "x", 1), 1);
    ::waitpid(holder, nullptr, 0);
    // Once the other process has let go, the same port answers.
    const ProbeRun afterwards = probe();
    EXPECT_EQ(afterwards.port, 1);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
}

TEST(ModemProbe, APortTheRegistryDoesNotListIsNotOpened) {
    ModemSim modem(3, "ok");
    ASSERT_TRUE(modem.running());
    EXPECT_TRUE(isSerialPortListed(3));
    const std::string link = std::string(std::getenv("LUMORA_PREFIX")) + "/dosdevices/com3";
    const std::string moved = link + ".off";
    ASSERT_EQ(::rename(link.c_str(), moved.c_str()), 0);
    EXPECT_FALSE(isSerialPortListed(3));
    EXPECT_EQ(probe().port, 0);
    ASSERT_EQ(::rename(moved.c_str(), link.c_str()), 0);
    EXPECT_EQ(probe().port, 3);
}

}  // namespace
