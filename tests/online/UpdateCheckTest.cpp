#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "online/HttpClient.h"
#include "online/UpdateCheck.h"
#include "online/UpdateItem.h"
#include "online/UpdateService.h"
#include "support/HttpTestServer.h"
#include "support/TempDir.h"

namespace marlo::online {
namespace {

using test::HttpTestServer;

UpdateItem Keyboard(int32_t version) {
    return UpdateItem{1, 1, version, "KORVA", "QK27T02B", "KB", "KB", ""};
}
UpdateItem Program(int32_t version) {
    return UpdateItem{0, 1, version, "KORVA", "ALL", "KB", "AP", "V0102"};
}

TEST(UpdateItemTest, KeysBodiesAndVersionTexts) {
    const UpdateItem device = Keyboard(0x0102);
    EXPECT_EQ(device.LocalVersionText(), "V0102");
    const std::vector<uint8_t> body = device.RequestBody();
    EXPECT_EQ(std::string(body.begin(), body.end()),
              std::string("app_key=KORVA_1_QK27T02B_KB_1&version=102\0", 42));

    const UpdateItem program = Program(ProgramVersionNumber("1.0.3"));
    EXPECT_EQ(program.version, 103);
    EXPECT_EQ(program.LocalVersionText(), "V103");
    const std::vector<uint8_t> programBody = program.RequestBody();
    EXPECT_EQ(std::string(programBody.begin(), programBody.end() - 1),
              "app_key=KORVA_0_ALL_KB_1&version=103");
    EXPECT_EQ(Keyboard(0).ApplicationKey(), "NULL");
    EXPECT_EQ(ProgramVersionNumber("unknown"), 0);
}

TEST(UpdateItemTest, OnlyItemsWithAVersionAreListed) {
    const std::vector<uint16_t> none = {0, 0, 0};
    const auto alone = BuildUpdateItems(none, 103);
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0].ShownName(), "AP");

    const std::vector<uint16_t> keyboard = {0, 0x0102, 0};
    const auto both = BuildUpdateItems(keyboard, 103);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].model, "QK27T02B");
    EXPECT_EQ(both[0].version, 0x0102);
}

TEST(UpdateAnswerTest, ReadsWhatTheServiceSays) {
    struct Case {
        const char* what;
        UpdateItem item;
        std::string answer;
        int status;
        std::string remote;
        bool failed;
    };
    const Case cases[] = {
        {"newer firmware", Keyboard(0x0102),
         R"({"name":"KB","version":"0103","version_name":"1.3","path":"/f","device_id":4})",
         UpdateResult::kUpdateAvailable, "V0103", false},
        {"same firmware", Keyboard(0x0102), R"({"name":"KB","version":"0102"})",
         UpdateResult::kUpToDate, "V0102", false},
        {"newer program (decimal, shown by its name)", Program(103),
         R"({"name":"AP","version":"104","version_name":"1.0.4"})", UpdateResult::kUpdateAvailable,
         "1.0.4", false},
        {"no name", Keyboard(0x0102), R"({"version":"9999"})", UpdateResult::kUpToDate, "", false},
        {"not JSON", Keyboard(0x0102), "<html>busy</html>", UpdateResult::kUpToDate, "", true},
        {"a JSON array", Keyboard(0x0102), "[1,2]", UpdateResult::kUpToDate, "", true},
        {"empty", Keyboard(0x0102), "", UpdateResult::kUpToDate, "", true},
        {"cut off", Keyboard(0x0102), R"({"name":"KB","vers)", UpdateResult::kUpToDate, "", true},
        {"no link", Keyboard(0x0102), "NO_LINK_SERVER", UpdateResult::kUpToDate, "", true},
        {"wrong member types", Keyboard(0x0102),
         R"({"name":{"a":1},"version":[1],"device_id":"x"})", UpdateResult::kUpToDate, "", false},
    };
    for (const Case& c : cases) {
        const UpdateResult r = ReadUpdateAnswer(c.item, c.answer);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.remoteVersionText, c.remote) << c.what;
        EXPECT_EQ(r.failed, c.failed) << c.what;
        EXPECT_EQ(r.name, c.item.ShownName()) << c.what;
        EXPECT_EQ(r.localVersionText, c.item.LocalVersionText()) << c.what;
        EXPECT_EQ(r.file.empty(), r.status != UpdateResult::kUpdateAvailable) << c.what;
    }
}

TEST(UpdateCheckTest, AsksOncePerItemAndConcludes) {
    HttpTestServer server(HttpTestServer::Scheme::kHttp, [](const HttpTestServer::Request& r) {
        // The keyboard has newer firmware; the program is current.
        const bool keyboard = r.body.find("QK27T02B") != std::string::npos;
        return HttpTestServer::Answer{keyboard ? R"({"name":"KB","version":"0103"})"
                                               : R"({"name":"AP","version":"103"})"};
    });
    HttpClient client;
    UpdateCheck check(client, server.BaseAddress());
    std::vector<std::string> rows;
    const auto row = [&](size_t i, const UpdateResult& r) {
        rows.push_back(std::to_string(i) + " " + r.name + " " + std::to_string(r.status));
    };
    EXPECT_EQ(check.Run({Keyboard(0x0102), Program(103)}, row, nullptr), UpdateCheck::kHaveUpdates);
    EXPECT_EQ(rows, (std::vector<std::string>{"0 KB 1", "1 AP 7"}));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/api/updates");
    EXPECT_EQ(requests[1].body, std::string("app_key=KORVA_0_ALL_KB_1&version=103\0", 37));

    EXPECT_EQ(check.Run({Program(103)}, {}, nullptr), UpdateCheck::kUpToDate);
}

// A service that fails is never taken at its word: an error status is a failed query even when
// its body holds an update, and a service that drips its answer is given up.
TEST(UpdateCheckTest, AFailedAnswerIsNoAnswer) {
    const std::string update = R"({"name":"KB","version":"0103"})";
    struct Case {
        int status;
        std::string body;
        int dripMs;
    };
    const Case cases[] = {{404, "", 0},   {500, "", 0},      {501, "oops", 0},
                          {500, update, 0}, {302, update, 0}, {200, "", 0},
                          {200, "{", 0},  {200, update, 400}};
    for (const Case& c : cases) {
        HttpTestServer server(HttpTestServer::Scheme::kHttp, [&](const HttpTestServer::Request&) {
            HttpTestServer::Answer answer{c.body};
            answer.status = c.status;
            answer.dripMs = c.dripMs;
            return answer;
        });
        HttpClient client;
        UpdateCheck check(client, server.BaseAddress());
        check.SetItemTimeout(1500);
        std::vector<UpdateResult> results;
        EXPECT_EQ(check.Run({Keyboard(0x0102)},
                            [&](size_t, const UpdateResult& r) { results.push_back(r); }, nullptr),
                  UpdateCheck::kUnreachable)
            << c.status << " " << c.body;
        ASSERT_EQ(results.size(), 1u);
        EXPECT_TRUE(results[0].failed);
        EXPECT_EQ(results[0].status, UpdateResult::kUpToDate);
    }
}

TEST(UpdateCheckTest, WithoutAServiceEveryItemIsUnreachable) {
    HttpClient client;
    for (const std::string base : {"", "http://127.0.0.1:1"}) {
        UpdateCheck check(client, base);
        std::vector<UpdateResult> results;
        EXPECT_EQ(check.Run(
                      {Keyboard(0x0102), Program(103)},
                      [&](size_t, const UpdateResult& r) { results.push_back(r); }, nullptr),
                  UpdateCheck::kUnreachable)
            << base;
        ASSERT_EQ(results.size(), 2u);
        EXPECT_TRUE(results[0].failed && results[1].failed);
        EXPECT_EQ(results[0].status, UpdateResult::kUpToDate);
    }
}

TEST(UpdateTimeFileTest, KeepsTheDateOfTheLastCheck) {
    test::TempDir dir;
    const auto path = dir.path() / "updatetime.config";
    const UpdateTimeFile file(path);
    // Missing, then unreadable: written anew with today.
    EXPECT_EQ(file.ReadOrCreate(), UpdateTimeFile::Today());
    EXPECT_TRUE(std::filesystem::exists(path));
    std::ofstream(path) << "{ broken";
    EXPECT_EQ(file.ReadOrCreate(), UpdateTimeFile::Today());
    size_t kept = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        kept += e.path().filename().string().starts_with("updatetime.config.unreadable-");
    }
    EXPECT_EQ(kept, 1u) << "the unusable file is kept aside, not overwritten";
    std::ofstream(path) << R"({"updatelasttime":{"value":"2025-1-9"}})";
    EXPECT_EQ(file.ReadOrCreate(), "2025-1-9");
    const std::string today = UpdateTimeFile::Today();
    EXPECT_EQ(today.find("-0"), std::string::npos) << "no leading zeros";
}

}  // namespace
}  // namespace marlo::online
