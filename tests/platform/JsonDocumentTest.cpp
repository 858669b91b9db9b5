#include "platform/JsonDocument.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"
#include "support/TempDir.h"

namespace marlo::platform {
namespace {

void Put(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

TEST(JsonDocumentTest, UnusableFilesReadAsNull) {
    test::TempDir dir;
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"malformed", "{\"Device\": [ {\"LightInfo\": "},
        {"not json", "\x01\x02\xff garbage"},
        {"deep nesting", std::string(100000, '[')},
        {"bom only", "\xEF\xBB\xBF"},
    };
    for (const Case& c : cases) {
        Put(dir / c.name, c.text);
        EXPECT_TRUE(JsonDocument::Read(dir / c.name).isNull()) << c.name;
    }
}

TEST(JsonDocumentTest, MissingFileReadsAsNullAndNamesThePath) {
    test::TempDir dir;
    DebugOutput::Capture capture;
    EXPECT_TRUE(JsonDocument::Read(dir / "nothing.Json").isNull());
    EXPECT_TRUE(capture.Contains("nothing.Json"));
}

TEST(JsonDocumentTest, OversizedFileReadsAsNull) {
    test::TempDir dir;
    const auto file = dir / "huge.Json";
    {
        std::ofstream out(file, std::ios::binary);
        out << "[";
        const std::string chunk(1 << 20, ' ');
        for (size_t written = 0; written <= JsonDocument::kMaxBytes; written += chunk.size()) {
            out << chunk;
        }
        out << "]";
    }
    EXPECT_TRUE(JsonDocument::Read(file).isNull());
}

TEST(JsonDocumentTest, LargeDocumentWithinTheLimitRoundTrips) {
    test::TempDir dir;
    Json::Value doc(Json::objectValue);
    Json::Value& list = doc["KeyList"];
    for (int i = 0; i < 200000; ++i) {
        list.append(i * 7);
    }
    ASSERT_TRUE(JsonDocument::Write(dir / "big.Json", doc));
    EXPECT_EQ(JsonDocument::Read(dir / "big.Json"), doc);
}

TEST(JsonDocumentTest, WritesStyledUtf8WithOneLineEndAndKeepsComments) {
    test::TempDir dir;
    Json::Value doc(Json::objectValue);
    doc["profilename"] = "配置 1";
    doc["Device"].append(Json::Value(Json::objectValue));
    doc["Device"][0]["LightInfo"]["Red"] = 255;
    const auto file = dir / "p.Json";
    ASSERT_TRUE(JsonDocument::Write(file, doc));
    const std::string text = *ReadWholeFile(file, 1 << 20);
    EXPECT_NE(text.find("配置 1"), std::string::npos) << "non-ASCII text stays UTF-8";
    EXPECT_NE(text.find("\n   \"profilename\""), std::string::npos) << text;
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text[text.size() - 2], '\n');
    EXPECT_FALSE(text.starts_with("\xEF\xBB\xBF"));
    EXPECT_EQ(JsonDocument::Read(file), doc);

    Put(file, "// factory settings\n{ \"a\" : 1 }\n");
    const Json::Value withComment = JsonDocument::Read(file);
    EXPECT_EQ(withComment["a"].asInt(), 1);
    EXPECT_NE(JsonDocument::Format(withComment).find("factory settings"), std::string::npos);
}

TEST(JsonDocumentTest, ByteOrderMarkIsAccepted) {
    EXPECT_EQ(JsonDocument::Parse("\xEF\xBB\xBF{\"a\":2}")["a"].asInt(), 2);
}

}  // namespace
}  // namespace marlo::platform
