#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/platform/FileSystem.h"
#include "core/report/HistoryReader.h"
#include "core/report/RunHistory.h"

namespace vm {
namespace {

// A file whose content is a string; every Append is one piece.
class StringAppendFile : public AppendFile {
public:
    std::string content;
    std::vector<std::string> writes;
    uint32_t failWith = 0;

    bool LastByte(char* byte) override {
        if (content.empty()) return false;
        *byte = content.back();
        return true;
    }
    bool Size(uint64_t* size) override {
        *size = content.size();
        return true;
    }
    bool CutBackTo(uint64_t size) override {
        content.resize(size);
        return true;
    }
    size_t writesBeforeFull = SIZE_MAX;  // a full disk takes the first half of that write
    bool Append(const std::string& data, uint32_t* error) override {
        if (failWith != 0) {
            *error = failWith;
            return false;
        }
        if (writes.size() >= writesBeforeFull) {
            content += data.substr(0, data.size() / 2);
            *error = 112;
            return false;
        }
        writes.push_back(data);
        content += data;
        return true;
    }
};

std::string RunDocument(const char* start, const char* url, const char* status, double average) {
    return std::string("{\"format_version\":1,\"run_start\":\"") + start +
           "\",\"items\":[{\"url\":\"" + url + "\",\"name\":\"n\",\"status\":\"" + status +
           "\",\"average_bytes_per_s\":" + std::to_string(average) +
           ",\"samples\":[{\"ms\":1000,\"bytes\":5}]}]}";
}

HistoryReader ReadAll(const std::string& content, size_t pieceSize = 0) {
    HistoryReader reader;
    if (pieceSize == 0) pieceSize = content.size() + 1;
    for (size_t at = 0; at < content.size(); at += pieceSize)
        reader.Feed(content.data() + at, std::min(pieceSize, content.size() - at));
    reader.Finish();
    return reader;
}

TEST(RunHistory, WhereTheFileGoes) {
    struct Case {
        const char* commandLine;
        const char* option;
        bool watching;
        const char* path;
    } cases[] = {
        {"", "", false, ""},  // no history
        {"", "h.jsonl", false, "D:\\cfg\\h.jsonl"},
        {"", "E:\\logs\\h.jsonl", false, "E:\\logs\\h.jsonl"},
        {"run.jsonl", "h.jsonl", false, "C:\\prog\\run.jsonl"},
        {"sub\\run.jsonl", "", false, "sub\\run.jsonl"},
        // A watch judges its alerts on a history, asked for or not.
        {"", "", true, "D:\\cfg\\velocimark_history.jsonl"},
        {"", "h.jsonl", true, "D:\\cfg\\h.jsonl"},
        {"run.jsonl", "", true, "C:\\prog\\run.jsonl"},
    };
    for (const Case& c : cases) {
        const std::string option = KeptHistoryName(c.option, c.watching);
        EXPECT_EQ(HistoryFilePath(c.commandLine, option, "C:\\prog", "D:\\cfg\\v.cfg"), c.path)
            << c.commandLine << "|" << c.option << "|" << c.watching;
    }
    EXPECT_EQ(HistoryFilePath("", std::string(300, 'x'), "C:\\prog", "D:\\cfg\\v.cfg"), "");
}

TEST(RunHistory, EachRunIsOneWriteOfOneLine) {
    StringAppendFile file;
    uint32_t error = 0;
    ASSERT_TRUE(AppendRunToHistory(file, "{\"a\":1}", &error));
    ASSERT_TRUE(AppendRunToHistory(file, "{\"a\":2}", &error));
    EXPECT_EQ(file.writes, (std::vector<std::string>{"{\"a\":1}\n", "{\"a\":2}\n"}));
    // No run (one too large for its line) writes nothing its reader would skip.
    EXPECT_FALSE(AppendRunToHistory(file, "", &error));
    EXPECT_EQ(error, kErrorFileTooLarge);
    EXPECT_EQ(file.writes.size(), 2u);
}

TEST(RunHistory, ALineTornByACrashStaysAloneAndTheNextRunIsWhole) {
    StringAppendFile file;
    file.content = RunDocument("2026-12-01T10:00:00.000Z", "http://a/", "finished", 100) + "\n" +
                   "{\"format_version\":1,\"items\":[{\"url\":\"htt";
    uint32_t error = 0;
    ASSERT_TRUE(AppendRunToHistory(
        file, RunDocument("2026-12-02T10:00:00.000Z", "http://a/", "finished", 300), &error));
    EXPECT_EQ(file.writes.at(0).front(), '\n');
    const HistoryReader reader = ReadAll(file.content);
    EXPECT_EQ(reader.RunCount(), 2u);
    EXPECT_EQ(reader.DamagedLines(), 1u);
    EXPECT_FALSE(reader.TornLastLine());  // the damage is no longer at the end
    ASSERT_EQ(reader.Trends().size(), 1u);
    EXPECT_EQ(reader.Trends()[0].points.size(), 2u);
}

TEST(RunHistory, AFailedWriteReportsItsError) {
    StringAppendFile file;
    file.failWith = 5;
    uint32_t error = 0;
    EXPECT_FALSE(AppendRunToHistory(file, "{}", &error));
    EXPECT_EQ(error, 5u);
}

TEST(RunHistory, AFullDiskLeavesNoPartialLine) {
    StringAppendFile file;
    uint32_t error = 0;
    ASSERT_TRUE(AppendRunToHistory(file, "{\"run\":1}", &error));
    const std::string before = file.content;
    file.writesBeforeFull = 1;
    EXPECT_FALSE(AppendRunToHistory(file, "{\"run\":2}", &error));
    EXPECT_EQ(error, 112u);
    EXPECT_EQ(file.content, before);
}

TEST(HistoryReader, ATornLastLineIsSkippedWithANote) {
    const std::string whole = RunDocument("2026-12-01T10:00:00.000Z", "http://a/", "finished", 100);
    struct Case {
        std::string content;
        size_t runs, damaged;
        bool torn;
    } cases[] = {
        {whole + "\n", 1, 0, false},
        {whole, 1, 0, false},  // a whole last line without its line feed still counts
        {whole + "\n" + whole.substr(0, whole.size() / 2), 1, 1, true},
        {whole + "\n" + whole.substr(0, 1), 1, 1, true},
        {whole + "\r\n\n\n" + whole + "\n", 2, 0, false},  // blank lines are no damage
        {"garbage\n" + whole + "\n", 1, 1, false},
        {"[1,2]\n" + whole + "\n", 1, 1, false},  // JSON, but not a run
        {"", 0, 0, false},
    };
    for (const Case& c : cases) {
        for (size_t piece : {size_t{0}, size_t{1}, size_t{7}}) {
            const HistoryReader reader = ReadAll(c.content, piece);
            EXPECT_EQ(reader.RunCount(), c.runs) << c.content << " piece " << piece;
            EXPECT_EQ(reader.DamagedLines(), c.damaged) << c.content << " piece " << piece;
            EXPECT_EQ(reader.TornLastLine(), c.torn) << c.content << " piece " << piece;
        }
    }
}

TEST(HistoryReader, AnOverlongLineIsSkippedWithoutBeingHeld) {
    const std::string whole = RunDocument("2026-12-01T10:00:00.000Z", "http://a/", "finished", 100);
    HistoryReader reader;
    reader.Feed(whole.data(), whole.size());
    reader.Feed("\n[", 2);
    const std::string filler(1024 * 1024, ' ');
    for (size_t fed = 0; fed <= kMaxHistoryLineBytes; fed += filler.size())
        reader.Feed(filler.data(), filler.size());
    reader.Feed("]\n", 2);
    reader.Feed(whole.data(), whole.size());
    reader.Finish();
    EXPECT_EQ(reader.RunCount(), 2u);
    EXPECT_EQ(reader.DamagedLines(), 1u);
}

TEST(HistoryReader, TrendPointsPerUrlAndTheLatestRunWhole) {
    const std::string content =
        RunDocument("2026-12-01T10:00:00.000Z", "http://a/", "finished", 100) + "\n" +
        RunDocument("2026-12-01T11:00:00.000Z", "http://b/", "failed", 0) + "\n" +
        RunDocument("2026-12-01T12:00:00.000Z", "http://a/", "connect_timeout", 0) + "\n" +
        RunDocument("2026-12-01T13:00:00.000Z", "http://a/", "disabled", 0) + "\n" +
        RunDocument("2026-12-01T14:00:00.000Z", "http://a/", "waiting", 0) + "\n" +
        // A run without a clock has no place on a time axis.
        "{\"items\":[{\"url\":\"http://a/\",\"status\":\"finished\"}]}\n" +
        RunDocument("2026-12-01T15:00:00.500Z", "http://a/", "finished", 250.5) + "\n";
    const HistoryReader reader = ReadAll(content);
    EXPECT_EQ(reader.RunCount(), 7u);
    ASSERT_EQ(reader.Trends().size(), 2u);
    const UrlTrend& a = reader.Trends()[0];
    EXPECT_EQ(a.url, "http://a/");
    ASSERT_EQ(a.points.size(), 3u);
    EXPECT_FALSE(a.points[0].failed);
    EXPECT_TRUE(a.points[1].failed);
    EXPECT_EQ(a.points[2].averageBytesPerSecond, 250.5);
    EXPECT_EQ(a.points[2].timeUnixMs - a.points[0].timeUnixMs, 5 * 3600 * 1000 + 500);
    EXPECT_TRUE(reader.Trends()[1].points[0].failed);
    ASSERT_EQ(reader.Latest().items.size(), 1u);
    EXPECT_EQ(reader.Latest().items[0].samples.size(), 1u);
}

TEST(HistoryReader, IsoTimes) {
    struct Case {
        const char* text;
        bool ok;
        int64_t ms;
    } cases[] = {
        {"1970-01-01T00:00:00.000Z", true, 0},
        {"1970-01-01T00:00:01Z", true, 1000},
        {"2026-12-07T11:32:32.123Z", true, 1796643152123},
        {"2026-12-07 11:32:32.123Z", false, 0},
        {"2026-12-07T11:32:32.123", false, 0},
        {"2026-13-07T11:32:32.123Z", false, 0},
        {"2026-12-07T24:00:00.000Z", false, 0},
        {"2026-12-07T11:32:32.1Z", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        int64_t ms = -1;
        EXPECT_EQ(ParseIsoUtcMs(c.text, &ms), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(ms, c.ms) << c.text;
        }
    }
}

}  // namespace
}  // namespace vm
