// TnUpdate's download (modes 0 and others) against the test HTTP server: the requests byte for
// byte, the fetch record, the broadcasts, and every way a transfer can go wrong.
#include "updater_fixture.h"

#include "testenv.h"

#include <filesystem>
#include <fstream>
#include <memory>

using lumora_test::HttpAnswer;
using lumora_test::HttpTestServer;

namespace updater_test {
namespace {

constexpr const char* kDate = "Sat, 01 Jan 2000 10:00:00 GMT";
constexpr const char* kLaterDate = "Sun, 02 Jan 2000 10:00:00 GMT";

std::string body(size_t size) {
    std::string text;
    for (size_t i = 0; text.size() < size; ++i) text += "line " + std::to_string(i) + "\r\n";
    text.resize(size);
    return text;
}

class Download : public UpdaterTest {
protected:
    void SetUp() override {
        UpdaterTest::SetUp();
        ASSERT_TRUE(server_.listening());
        useProxy(server_);
        path_ = "/files/" + tag_ + ".txt";
        remote_ = "http://update.example" + path_;
        local_ = folder_ + "data.txt";
        record_ = recordKey(remote_, slashes(local_) + ".tmp");
    }

    std::string options(const BroadcastListener& listener, unsigned identifier = 7) const {
        return "-r\"" + remote_ + "\" -l\"" + local_ + "\" " + listener.options(identifier);
    }

    bool recordHasDate() const {
        bool found = false;
        registryText(record_, "Date", &found);
        return found;
    }

    HttpTestServer server_;
    std::string path_, remote_, local_, record_;
};

// A 200 answer with the body and kDate as its Last-Modified.
HttpAnswer datedAnswer(std::string content) {
    HttpAnswer answer;
    answer.body = std::move(content);
    answer.lastModified = kDate;
    return answer;
}

TEST_F(Download, FetchRecordsTheRunAndTheNextRunAsksIfModifiedSince) {
    const std::string content = body(20000);
    server_.serveText(path_, content, kDate);
    BroadcastListener first(tag_ + "a");
    EXPECT_EQ(runUpdater(options(first), &first), 0u);

    EXPECT_TRUE(readFile(local_) == content);
    EXPECT_FALSE(exists(local_ + ".tmp"));
    EXPECT_EQ(registryText(record_, "Success"), "1");
    EXPECT_EQ(registryText(record_, "Date"), kDate);
    ASSERT_EQ(server_.requests().size(), 1u);
    EXPECT_EQ(server_.requests()[0], "GET " + remote_ + " HTTP/1.0\r\n\r\n");

    // Start with 0, progress rising to 100, then the end; all with the identifier.
    const auto& messages = first.messages();
    ASSERT_GE(messages.size(), 3u) << first.kinds();
    EXPECT_EQ(messages.front().kind, 's');
    EXPECT_EQ(messages.front().parameter, 0);
    EXPECT_EQ(messages.back().kind, 'e');
    EXPECT_EQ(messages.back().parameter, 0);
    EXPECT_EQ(messages[messages.size() - 2].kind, 's');
    EXPECT_EQ(messages[messages.size() - 2].parameter, 100);
    for (size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].identifier, 7u);
        if (i > 0 && i + 1 < messages.size()) {
            EXPECT_GT(messages[i].parameter, messages[i - 1].parameter);
        }
    }

    // The second run asks with the stored date; 304 is a failure that leaves the file alone.
    writeFile(local_, "kept");
    BroadcastListener second(tag_ + "b");
    EXPECT_EQ(runUpdater(options(second, 8), &second), 0u);
    ASSERT_EQ(server_.requests().size(), 2u);
    EXPECT_EQ(server_.requests()[1],
              "GET " + remote_ + " HTTP/1.0\r\nIf-Modified-Since: " + kDate + "\r\n\r\n");
    EXPECT_EQ(second.kinds(), "sf");
    EXPECT_EQ(second.messages().back().identifier, 8u);
    EXPECT_EQ(readFile(local_), "kept");
    EXPECT_EQ(registryText(record_, "Success"), "1");
}

TEST_F(Download, MissingLocalFileIsFetchedUnconditionally) {
    server_.serveText(path_, "v1", kDate);
    BroadcastListener first(tag_ + "a");
    runUpdater(options(first), &first);
    ASSERT_EQ(registryText(record_, "Success"), "1");
    ASSERT_EQ(DeleteFileA(local_.c_str()), TRUE);

    BroadcastListener second(tag_ + "b");
    runUpdater(options(second), &second);
    ASSERT_EQ(server_.requests().size(), 2u);
    EXPECT_EQ(server_.requests()[1], "GET " + remote_ + " HTTP/1.0\r\n\r\n");
    EXPECT_EQ(readFile(local_), "v1");
}

TEST_F(Download, CompressedProgramNamesAskConditionallyWithoutTheLocalFile) {
    // A fetched ".ex_" is unpacked under another name, so its absence says nothing.
    path_ = "/files/" + tag_ + ".ex_";
    remote_ = "http://update.example" + path_;
    local_ = folder_ + "lumora.ex_";
    record_ = recordKey(remote_, slashes(local_) + ".tmp");
    server_.serveText(path_, "packed", kDate);
    BroadcastListener first(tag_ + "a");
    runUpdater(options(first), &first);
    ASSERT_EQ(DeleteFileA(local_.c_str()), TRUE);

    BroadcastListener second(tag_ + "b");
    runUpdater(options(second), &second);
    ASSERT_EQ(server_.requests().size(), 2u);
    EXPECT_EQ(server_.requests()[1],
              "GET " + remote_ + " HTTP/1.0\r\nIf-Modified-Since: " + kDate + "\r\n\r\n");
    EXPECT_EQ(second.kinds(), "sf");
}

TEST_F(Download, LocalPathWithBackslashesMakesARecordTwoLevelsDeep) {
    const std::string folder = folder_ + "sub";
    ASSERT_EQ(CreateDirectoryA(folder.c_str(), nullptr), TRUE);
    std::string local = folder + "\\data.txt";
    for (char& c : local)
        if (c == '/') c = '\\';
    local_ = local;
    server_.serveText(path_, "two levels", kDate);
    BroadcastListener listener(tag_);
    runUpdater(options(listener), &listener);

    EXPECT_EQ(readFile(slashes(local_)), "two levels");
    const std::vector<std::string> files = subkeys("Software\\Tarnwell\\TNUpdate\\" + remote_);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], slashes(local_) + ".tmp");
    EXPECT_TRUE(subkeys("Software\\Tarnwell\\TNUpdate\\" + remote_ + "\\" + files[0]).empty());
    EXPECT_EQ(registryText("Software\\Tarnwell\\TNUpdate\\" + remote_ + "\\" + files[0], "Success"), "1");
}

TEST_F(Download, RedirectsAreFailuresWhateverTheirSpelling) {
    for (const char* reason : {"moved temporarily", "Moved Temporarily"}) {
        HttpAnswer answer;
        answer.status = 302;
        answer.reason = reason;
        answer.location = "http://elsewhere.example/data.txt";
        answer.lastModified = kDate;
        answer.body = "moved";
        server_.setAnswer(path_, answer);
        BroadcastListener listener(tag_ + (reason[0] == 'm' ? "a" : "b"));
        runUpdater(options(listener), &listener);
        EXPECT_EQ(listener.kinds(), "sf") << reason;
        EXPECT_FALSE(exists(local_)) << reason;
        EXPECT_FALSE(exists(local_ + ".tmp")) << reason;
        EXPECT_FALSE(recordHasDate()) << reason;
    }
    EXPECT_EQ(server_.requests().size(), 2u);
}

TEST_F(Download, BodyBrokenOffDeletesTheTemporaryFileAndTheDate) {
    // Wine's recv reports a connection reset by the peer as an orderly close (0), where Windows
    // fails with WSAECONNRESET; there the body coming short of its length gives the break away.
    server_.serveText(path_, "old", kDate);
    BroadcastListener first(tag_ + "a");
    runUpdater(options(first), &first);
    ASSERT_EQ(registryText(record_, "Date"), kDate);

    // A newer file whose transfer is reset after part of its body.
    HttpAnswer answer;
    answer.body = body(200000);
    answer.lastModified = kLaterDate;
    answer.resetAfter = 50000;
    server_.setAnswer(path_, answer);
    BroadcastListener second(tag_ + "b");
    runUpdater(options(second), &second);

    EXPECT_EQ(second.messages().back().kind, 'f');
    EXPECT_TRUE(readFile(local_) == "old");
    EXPECT_FALSE(exists(local_ + ".tmp"));
    EXPECT_FALSE(recordHasDate());
    EXPECT_EQ(registryText(record_, "Success"), "0");

    // With no date and "Success" at 0 the next run asks for the whole file again.
    server_.serveText(path_, "new", kLaterDate);
    BroadcastListener third(tag_ + "c");
    runUpdater(options(third), &third);
    EXPECT_EQ(server_.requests().back(), "GET " + remote_ + " HTTP/1.0\r\n\r\n");
    EXPECT_EQ(readFile(local_), "new");
}

TEST_F(Download, BodyShortOfTheAnnouncedLengthFails) {
    // The server closes the connection in order before the body is complete, as a proxy that lost
    // the rest does.
    writeFile(local_, "old");
    HttpAnswer answer = datedAnswer(body(20000));
    answer.announcedLength = 30000;
    server_.setAnswer(path_, answer);
    BroadcastListener listener(tag_);
    runUpdater(options(listener), &listener);
    ASSERT_FALSE(listener.messages().empty());
    EXPECT_EQ(listener.messages().back().kind, 'f');
    EXPECT_EQ(readFile(local_), "old");
    EXPECT_FALSE(exists(local_ + ".tmp"));
    EXPECT_FALSE(recordHasDate());
    EXPECT_EQ(registryText(record_, "Success"), "0");
}

TEST_F(Download, BodyEndsAtTheAnnouncedLength) {
    // A server that keeps the connection open after the whole body, one that sends more than it
    // announced, and a gateway that writes its header names in lower case: each file is the
    // announced bytes, installed at once (the receive time-out is never reached).
    struct Case {
        const char* name;
        long long announced;
        long stallAfter;
        bool lowerCaseHeader;
    };
    const std::string content = body(20000);
    for (const Case& c : {Case{"kept open", -1, 20000, false}, Case{"longer", 10000, -1, false},
                          Case{"lower case", -1, -1, true}}) {
        HttpAnswer answer = datedAnswer(content);
        answer.announcedLength = c.announced;
        answer.stallAfter = c.stallAfter;
        if (c.lowerCaseHeader) {
            answer.announceLength = false;
            answer.headers = {"content-length: " + std::to_string(content.size())};
        }
        server_.setAnswer(path_, answer);
        BroadcastListener listener(tag_ + std::to_string(c.announced) + std::to_string(c.stallAfter));
        runUpdater(options(listener), &listener);
        ASSERT_FALSE(listener.messages().empty()) << c.name;
        EXPECT_EQ(listener.messages().back().kind, 'e') << c.name << " " << listener.kinds();
        const size_t expected = c.announced > 0 ? static_cast<size_t>(c.announced) : content.size();
        EXPECT_TRUE(readFile(local_) == content.substr(0, expected)) << c.name;
        EXPECT_EQ(registryText(record_, "Success"), "1") << c.name;
        DeleteFileA(local_.c_str());
    }
}

TEST_F(Download, StatusIsReadFromTheStatusLine) {
    // "200 OK" in a header or the body of an error answer is not the status.
    HttpAnswer missing;
    missing.status = 404;
    missing.reason = "Not Found";
    missing.body = "HTTP/1.0 200 OK";
    HttpAnswer broken;
    broken.status = 500;
    broken.reason = "Internal Server Error";
    broken.headers = {"X-Upstream-Status: 200 OK"};
    broken.body = "error page";
    HttpAnswer lowerReason = datedAnswer("lower-case reason");
    lowerReason.reason = "ok";
    int run = 0;
    for (const HttpAnswer& answer : {missing, broken}) {
        server_.setAnswer(path_, answer);
        BroadcastListener listener(tag_ + std::to_string(++run));
        runUpdater(options(listener), &listener);
        EXPECT_EQ(listener.kinds(), "sf") << answer.status;
        EXPECT_FALSE(exists(local_)) << answer.status;
        EXPECT_FALSE(exists(local_ + ".tmp")) << answer.status;
        EXPECT_NE(registryText(record_, "Success"), "1") << answer.status;
    }
    // The code decides, not the reason phrase.
    server_.setAnswer(path_, lowerReason);
    BroadcastListener listener(tag_ + "ok");
    runUpdater(options(listener), &listener);
    EXPECT_EQ(listener.kinds().back(), 'e');
    EXPECT_EQ(readFile(local_), "lower-case reason");
}

TEST_F(Download, LastModifiedEndsAtALineFeed) {
    // A bare line feed ends the header line; what follows must not reach the next request.
    server_.serveText(path_, "dated", std::string(kDate) + "\nX-Injected: 1");
    BroadcastListener first(tag_ + "a");
    runUpdater(options(first), &first);
    ASSERT_EQ(first.kinds().back(), 'e');
    EXPECT_EQ(registryText(record_, "Date"), kDate);

    BroadcastListener second(tag_ + "b");
    runUpdater(options(second), &second);
    ASSERT_EQ(server_.requests().size(), 2u);
    EXPECT_EQ(server_.requests()[1],
              "GET " + remote_ + " HTTP/1.0\r\nIf-Modified-Since: " + kDate + "\r\n\r\n");
}

TEST_F(Download, ProgressOfAFileAbove42MiBRisesTo100) {
    // The bytes written times 100 no longer fit 32 bits above 42 MiB.
    constexpr int kMiB = 48;
    const std::string served = folder_ + "large.bin";
    {
        std::ofstream out(served, std::ios::binary);
        const std::string chunk(1 << 20, 'x');
        for (int i = 0; i < kMiB; ++i) out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    HttpAnswer answer;
    answer.bodyFile = served;
    answer.lastModified = kDate;
    server_.setAnswer(path_, answer);
    BroadcastListener listener(tag_);
    runUpdater(options(listener), &listener);

    const auto& messages = listener.messages();
    ASSERT_GE(messages.size(), 3u) << listener.kinds();
    EXPECT_EQ(messages.back().kind, 'e');
    for (size_t i = 1; i + 1 < messages.size(); ++i) {
        EXPECT_EQ(messages[i].kind, 's');
        EXPECT_GT(messages[i].parameter, messages[i - 1].parameter) << i;
        EXPECT_LE(messages[i].parameter, 100) << i;
    }
    EXPECT_EQ(messages[messages.size() - 2].parameter, 100);
    EXPECT_EQ(std::filesystem::file_size(slashes(local_)), static_cast<std::uintmax_t>(kMiB) << 20);
}

TEST_F(Download, HeadArrivingInPiecesIsReadWhole) {
    HttpAnswer answer = datedAnswer(body(5000));
    answer.splitHeadAfter = 12;  // "HTTP/1.0 200" comes alone, its "OK" later
    server_.setAnswer(path_, answer);
    BroadcastListener listener(tag_);
    runUpdater(options(listener), &listener);
    ASSERT_FALSE(listener.messages().empty());
    EXPECT_EQ(listener.messages().back().kind, 'e') << listener.kinds();
    EXPECT_TRUE(readFile(local_) == answer.body);
    EXPECT_EQ(registryText(record_, "Date"), kDate);
}

TEST_F(Download, AnswerWithoutContentLengthFails) {
    HttpAnswer answer = datedAnswer(body(3000));
    answer.announceLength = false;
    server_.setAnswer(path_, answer);
    BroadcastListener listener(tag_);
    runUpdater(options(listener), &listener);
    EXPECT_EQ(listener.kinds(), "sf");
    EXPECT_FALSE(exists(local_));
    EXPECT_FALSE(exists(local_ + ".tmp"));
    EXPECT_FALSE(recordHasDate());
    EXPECT_EQ(registryText(record_, "Success"), "0");
}

TEST_F(Download, HeadWithoutItsBlankLineFailsBeforeAnyFile) {
    HttpAnswer answer = datedAnswer("");
    answer.endHead = false;
    server_.setAnswer(path_, answer);
    BroadcastListener listener(tag_);
    runUpdater(options(listener), &listener);
    EXPECT_EQ(listener.kinds(), "sf");
    EXPECT_FALSE(exists(local_ + ".tmp"));
    // The 200 answer was seen: its date stays, the run counts as unfinished.
    EXPECT_EQ(registryText(record_, "Date"), kDate);
    EXPECT_EQ(registryText(record_, "Success"), "0");
}

TEST_F(Download, HeadLongerThanItsBlockFails) {
    HttpAnswer answer = datedAnswer("never read");
    answer.headers = {"X-Padding: " + std::string(6000, 'p')};
    server_.setAnswer(path_, answer);
    BroadcastListener listener(tag_);
    EXPECT_EQ(runUpdater(options(listener), &listener), 0u);
    EXPECT_EQ(listener.kinds(), "sf");
    EXPECT_FALSE(exists(local_));
    EXPECT_FALSE(exists(local_ + ".tmp"));
}

TEST_F(Download, ProxyTakesAUrlWithoutHost) {
    server_.serveText("update.ini", "[Versions]\r\n", kDate);
    BroadcastListener listener(tag_);
    runUpdater("-r\"update.ini\" -l\"" + local_ + "\" " + listener.options(3), &listener);
    ASSERT_EQ(server_.requests().size(), 1u);
    EXPECT_EQ(server_.requests()[0], "GET update.ini HTTP/1.0\r\n\r\n");
    EXPECT_EQ(listener.messages().back().kind, 'e');
    EXPECT_EQ(readFile(local_), "[Versions]\r\n");
}

TEST_F(Download, UrlWithoutHostFailsAtOnceWithoutProxy) {
    useNoProxy();
    BroadcastListener listener(tag_);
    runUpdater("-r\"update.ini\" -l\"" + local_ + "\" " + listener.options(3), &listener);
    EXPECT_EQ(listener.kinds(), "f");
    EXPECT_TRUE(server_.requests().empty());
}

TEST_F(Download, UrlHostIsContactedOnPort80WithoutProxy) {
    useNoProxy();
    // Port 80 on an address of the loopback range of its own, so parallel tests do not meet.
    std::unique_ptr<HttpTestServer> direct;
    for (unsigned i = 0; i < 64 && !direct; ++i) {
        const unsigned n = (GetCurrentProcessId() + i * 7919) % 60000;
        auto candidate = std::make_unique<HttpTestServer>(
            80, "127." + std::to_string(1 + n / 250 % 250) + "." + std::to_string(n % 250 + 1) + ".9");
        if (candidate->listening()) direct = std::move(candidate);
    }
    if (!direct) GTEST_SKIP() << "no loopback address with a free port 80 (needs the right to bind it)";
    direct->serveText(path_, "direct", kDate);
    const std::string remote = direct->url(path_);
    BroadcastListener listener(tag_);
    runUpdater("-r\"" + remote + "\" -l\"" + local_ + "\" " + listener.options(5), &listener);
    ASSERT_EQ(direct->requests().size(), 1u);
    EXPECT_EQ(direct->requests()[0], "GET " + remote + " HTTP/1.0\r\n\r\n");
    EXPECT_EQ(readFile(local_), "direct");
}

TEST_F(Download, SilentServerEndsTheTransferAfterTheReceiveTimeOut) {
    HttpAnswer answer = datedAnswer(body(100000));
    answer.stallAfter = 10000;
    server_.setAnswer(path_, answer);
    BroadcastListener listener(tag_);
    EXPECT_EQ(runUpdater(options(listener), &listener), 0u);
    EXPECT_EQ(listener.messages().back().kind, 'f');
    EXPECT_FALSE(exists(local_));
    EXPECT_FALSE(exists(local_ + ".tmp"));
    EXPECT_FALSE(recordHasDate());
}

TEST_F(Download, UnansweredConnectionEndsAfterTheConnectTimeOut) {
    lumora_test::UnansweredPort silent;
    if (!silent.ready()) GTEST_SKIP() << "could not fill a listener's queue";
    useProxy("127.0.0.1:" + std::to_string(silent.port()));
    BroadcastListener listener(tag_);
    EXPECT_EQ(runUpdater(options(listener), &listener), 0u);
    EXPECT_EQ(listener.kinds(), "sf");
    EXPECT_FALSE(exists(local_ + ".tmp"));
}

TEST_F(Download, OtherModesOnlyReportTheEnd) {
    BroadcastListener listener(tag_);
    runUpdater(options(listener, 9) + " -x\"7\"", &listener);
    EXPECT_EQ(listener.kinds(), "e");
    EXPECT_EQ(listener.messages()[0].identifier, 9u);
    EXPECT_TRUE(server_.requests().empty());
    // Recorded under the local path as given, without the change to "/".
    EXPECT_EQ(registryText(recordKey(remote_, local_ + ".tmp"), "Success"), "1");
}

}  // namespace
}  // namespace updater_test
