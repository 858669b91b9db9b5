#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "online/HttpClient.h"
#include "platform/Event.h"
#include "support/HttpTestServer.h"

namespace marlo::online {
namespace {

using test::HttpTestServer;

std::span<const uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::string Text(const std::vector<uint8_t>& buffer, int size) {
    return std::string(buffer.begin(), buffer.begin() + std::max(size, 0));
}

HttpTestServer::Handler Echo(std::string answer) {
    return [answer](const HttpTestServer::Request&) { return HttpTestServer::Answer{answer}; };
}

TEST(HttpClientTest, RefusesWhatItCannotSend) {
    struct Case {
        const char* verb;
        std::string url;
        int error;
    };
    const Case cases[] = {
        {"put", "http://127.0.0.1:1/", HttpClient::kErrorInvalidParameter},
        {"DELETE", "http://127.0.0.1:1/", HttpClient::kErrorInvalidParameter},
        {"POST", "", HttpClient::kErrorPathNotFound},
    };
    for (const Case& c : cases) {
        HttpClient client;
        std::vector<uint8_t> answer(64, 0);
        EXPECT_EQ(client.HttpRequest(c.verb, c.url, {}, answer, false), -1) << c.verb;
        EXPECT_EQ(client.HttpLastError(), c.error) << c.verb;
        EXPECT_EQ(answer, std::vector<uint8_t>(64, 0)) << "nothing written";
    }
}

TEST(HttpClientTest, AnUnreachableServiceLeavesTheMarker) {
    HttpClient client;
    std::vector<uint8_t> answer(64, 0);
    // Port 1 on the loopback: nobody listens there.
    EXPECT_EQ(
        client.HttpRequest("POST", "http://127.0.0.1:1/api/updates", Bytes("a=1"), answer, false),
        0);
    EXPECT_EQ(Text(answer, 14), "NO_LINK_SERVER");
    EXPECT_NE(client.HttpLastError(), 0);
    // A scheme it does not speak is no link either.
    std::vector<uint8_t> other(64, 0);
    EXPECT_EQ(client.HttpRequest("GET", "file:///etc/passwd", {}, other, false), 0);
    EXPECT_EQ(Text(other, 14), "NO_LINK_SERVER");
}

TEST(HttpClientTest, SendsTheFormWithItsHeaders) {
    HttpTestServer server(HttpTestServer::Scheme::kHttp, Echo("{\"ok\":1}"));
    HttpClient client;
    const std::string body("app_key=K&version=102\0", 22);
    std::vector<uint8_t> answer(64, 0);
    const int got = client.HttpRequest("post", server.BaseAddress() + "api/updates", Bytes(body),
                                       answer, false);
    EXPECT_EQ(Text(answer, got), "{\"ok\":1}");
    EXPECT_EQ(client.HttpRequest("GET", server.BaseAddress(), {}, answer, false), 8);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/api/updates");
    EXPECT_EQ(requests[0].body, body);
    EXPECT_NE(requests[0].headers.find("Content-Length: 22\r\n"), std::string::npos);
    EXPECT_NE(requests[0].headers.find("Content-Type: application/x-www-form-urlencoded"),
              std::string::npos);
    EXPECT_NE(requests[0].headers.find("Accept:application/prs.Korva.v1+json"), std::string::npos);
    EXPECT_NE(requests[0].headers.find("User-Agent: WinHTTP Client/1.0"), std::string::npos);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_NE(requests[1].headers.find("Content-Length: 0\r\n"), std::string::npos);
}

TEST(HttpClientTest, ASelfSignedServiceIsReachedOnlyThroughItsPinnedKey) {
    HttpTestServer server(HttpTestServer::Scheme::kHttps, Echo("secure"));
    const std::string url = server.BaseAddress() + "api/updates";
    struct Case {
        std::string pin;
        std::string expected;
    };
    const Case cases[] = {
        {"", "NO_LINK_SERVER"},
        {"sha256//AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=", "NO_LINK_SERVER"},
        {server.PinnedKey(), "secure"},
    };
    for (const Case& c : cases) {
        HttpClient client;
        client.SetPinnedKey(c.pin);
        std::vector<uint8_t> answer(64, 0);
        const int got = client.HttpRequest("POST", url, Bytes("x"), answer, false);
        EXPECT_EQ(Text(answer, got == 0 ? 14 : got), c.expected) << "pin " << c.pin;
    }
    EXPECT_EQ(server.Requests().size(), 1u) << "only the pinned client got through";
}

TEST(HttpClientTest, ALongAnswerIsCutAtTheBuffersEnd) {
    HttpTestServer server(HttpTestServer::Scheme::kHttp, Echo(std::string(5000, 'a')));
    HttpClient client;
    std::vector<uint8_t> storage(200, 0xEE);
    const std::span<uint8_t> answer(storage.data(), 100);
    EXPECT_EQ(client.HttpRequest("GET", server.BaseAddress(), {}, answer, false), 100);
    EXPECT_EQ(std::string(storage.begin(), storage.begin() + 100), std::string(100, 'a'));
    for (size_t i = 100; i < storage.size(); ++i) {
        ASSERT_EQ(storage[i], 0xEE) << "written past the buffer at " << i;
    }
}

TEST(HttpClientTest, AStopEndsASlowAnswer) {
    HttpTestServer server(HttpTestServer::Scheme::kHttp, [](const HttpTestServer::Request&) {
        return HttpTestServer::Answer{std::string(100, 'b'), 10};  // then silence
    });
    HttpClient client;
    platform::Event stop(platform::Event::Reset::kManual);
    std::vector<uint8_t> answer(200, 0);
    auto request = std::async(std::launch::async, [&] {
        return client.HttpRequest("GET", server.BaseAddress(), {}, answer, false, &stop);
    });
    // The answer stalls for a minute (the client's own timeout is 30 s): only the stop ends it.
    EXPECT_EQ(request.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    stop.Set();
    ASSERT_EQ(request.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_LE(request.get(), 10);
}

}  // namespace
}  // namespace marlo::online
