#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "core/base/JsonReader.h"
#include "core/base/JsonText.h"
#include "core/list/ItemCells.h"
#include "core/report/HistoryReader.h"
#include "core/report/JsonReport.h"
#include "support/FakeTranslation.h"
#include "support/GoldenFile.h"
#include "support/Latin1Encoding.h"
#include "support/MemoryFileSystem.h"
#include "support/TestList.h"
#include "support/UtcTime.h"

namespace vm {
namespace {

std::string JsonString(const std::string& text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

TEST(JsonText, StringsAreEscapedAndAlwaysValidUtf8) {
    const struct {
        std::string in;
        const char* out;
    } cases[] = {
        {"plain", "\"plain\""},
        {"q\"b\\s/", "\"q\\\"b\\\\s/\""},
        {std::string("\x01\b\f\n\r\t\x1f\x7f", 8),
         "\"\\u0001\\u0008\\u000c\\n\\r\\t\\u001f\\u007f\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
         "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        // Not UTF-8: a lone continuation, a cut sequence, overlong forms, a surrogate,
        // past U+10FFFF and 8-bit text as it is: each bad byte becomes U+FFFD.
        {"a\x80z", "\"a\\ufffdz\""},
        {"\xC3", "\"\\ufffd\""},
        {"\xE2\x82z", "\"\\ufffd\\ufffdz\""},
        {"\xC0\x80\xE0\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\""},
        {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
        {"\xF4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},
        {"caf\xE9", "\"caf\\ufffd\""},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonString(c.in), c.out) << c.in;
}

TEST(JsonText, NumbersAndTimes) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {2048, 3, "2048"},
        {0.5, 6, "0.5"},
        {2085831.2534, 3, "2085831.253"},
        {-0.0001, 3, "0"},
        {1e300, 3, "1e+300"},
        {std::nan(""), 3, "0"},
        {std::numeric_limits<double>::infinity(), 3, "0"},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendJsonNumber(out, c.value, c.decimals);
        EXPECT_EQ(out, c.text) << c.value;
    }
    EXPECT_EQ(IsoUtcTime(test::UtcTime(2026, 12, 7, 11, 32, 5) + 123 * 10000),
              "2026-12-07T11:32:05.123Z");
    EXPECT_EQ(IsoUtcTime(0), "");
    EXPECT_EQ(IsoUtcTime(0x8000000000000000ULL), "");
}

TEST(JsonText, BuilderPutsCommasAndLineBreaks) {
    JsonBuilder json;
    json.BeginObject();
    json.Key("a");
    json.BeginArray();
    json.LineBreak();
    json.Int(-1);
    json.LineBreak();
    json.BeginObject();
    json.EndObject();
    json.EndArray();
    json.Key("b");
    json.Bool(false);
    std::string text = json.Take();
    json.Key("c");
    json.UInt(18446744073709551615ULL);
    json.EndObject();
    text += json.Take();
    EXPECT_EQ(text, "{\"a\":[\n-1,\n{}],\"b\":false,\"c\":18446744073709551615}");
}

class JsonReportTest : public ::testing::Test, protected test::TestList {
protected:
    RunMeasurements measurements;
    test::Latin1Encoding encoding;
    test::MemoryFileSystem files;
    FileTime runStart = test::UtcTime(2026, 12, 7, 11, 0, 0);

    void SetUp() override {
        settings.DontAddDisabled = 0;
        settings.TryAgainOnFail = 1;
        settings.NumOfRetries = 2;
        settings.UseAutoStopSize = 1;
        settings.AutoStopSize = 5;
        settings.AutoStopSizeUnit = 3;
        settings.UseAutoStopStable = 1;
        settings.DefaultMinSpeed = 100;
        AddItems();
    }

    DownloadItem& Add(const std::string& url, const std::string& name, DownloadStatus status) {
        DownloadItem item(url, name, 0);
        item.status = status;
        return TestList::Add(item);
    }

    // A finished download with its steps and six seconds of samples at 1 MB/s, a 404
    // tried twice, a refused connection, a disabled item, and one never reached whose
    // texts hold what JSON must escape.
    void AddItems() {
        measurements.StartRun(runStart, 4);
        DownloadItem& done = Add("http://example.com/6MB.bin", "Six MB", DownloadStatus::Finished);
        done.startTime = runStart + 150 * 10000;
        done.startTick = 10150;
        done.bytes = 6500000;
        done.RecomputeSpeed(10150 + 6500);
        done.minSpeed = 2000;  // its own minimum, above the steady 1 MB/s
        done.belowMinSpeed = true;
        measurements.StartAttempt(0, 10000);
        PhaseStamps phases;
        phases.Stamp(kStatusNameResolved, 10002);
        phases.Stamp(kStatusConnectedToServer, 10010);
        phases.Stamp(kStatusConnectedToServer, 10090);  // a redirect's: the first one counts
        phases.Stamp(kStatusRequestSent, 10011);
        for (uint32_t s = 1; s <= 6; ++s) {
            measurements.AddSample(0, {s * 1000, s * 1000 - 7, s * 1000000, 1e6 - s,
                                       s * 1000000ULL + 123, (s * 1000 - 7) * 1000ULL + 456});
        }
        measurements.EndAttempt(0, 200, phases, true, 10150);
        measurements.SetComplete(0, true);
        PathIdentity server;
        server.address = "::1";
        server.family = AddressFamily::Ipv6;
        server.httpVersion = "HTTP/1.1";
        server.tlsProtocol = "TLS 1.2";
        server.tlsCipher = "AES 256";
        server.headers = {{"server", "nginx"}, {"x-cache", "HIT \xE9"}};
        measurements.SetServer(0, server);
        LatencyResult latency;
        latency.measured = true;
        latency.idleMs = {0.25, 0.5, 2};
        latency.loadedMs = {30, 31.5, 90};
        latency.failed = 1;
        latency.probeBytes = 4200;
        measurements.SetLatency(0, latency);
        // Four connections, a quarter of the speed over one: a per-connection cap.
        done.connections = 4;
        measurements.SetConnections(0, ConnectionUse{4, 4, true});
        ConnectionVerdict verdict;
        ASSERT_TRUE(JudgeConnections(250000, 1000000, &verdict));
        measurements.SetVerdict(0, verdict);

        DownloadItem& missing = Add("http://example.com/missing", "", DownloadStatus::Failed);
        missing.serverStatus = 404;
        measurements.StartAttempt(1, 20000);
        measurements.StartAttempt(1, 21000);
        PhaseStamps sent;
        sent.Stamp(kStatusRequestSent, 21003);
        measurements.EndAttempt(1, 404, sent, false, 0);
        measurements.SetMeasuredOnce(1);  // its one measurement is the item itself

        DownloadItem& refused = Add("http://127.0.0.1:9/x", "refused", DownloadStatus::Failed);
        refused.errorCode = 12029;
        refused.SetErrorText("The attempt to connect to the server failed.  ");
        measurements.StartAttempt(2, 30000);
        measurements.EndAttempt(2, 0, PhaseStamps(), false, 0);
        // Measured twice (Repeat=2): once through, then refused.
        RepeatResult through;
        through.status = DownloadStatus::Finished;
        through.bytes = 2000000;
        through.durationUs = 2000500;
        through.averageBytesPerSecond = 999750.062;
        RepeatResult failed;
        failed.status = DownloadStatus::Failed;
        failed.errorCode = 12029;
        measurements.AddRepeat(2, through);
        measurements.AddRepeat(2, failed);

        Add("ftp://example.com/off", "off", DownloadStatus::Waiting).disabled = 1;
        Add("http://example.com/?q=\"x\"&b=\\\x7f", "caf\xE9 \"q\" \\ \x01\t",
            DownloadStatus::Waiting);
        measurements.EndRun(runStart + 9000 * 10000ULL);
        list.Reload();
    }

    std::string Write() {
        JsonReportSource source;
        source.settings = &settings;
        source.measurements = &measurements;
        source.encoding = &encoding;
        source.programVersion = "1.27";
        uint32_t error = 0;
        EXPECT_TRUE(WriteJsonReport(list, source, files, "r.json", &error));
        return files.files["r.json"];
    }
};

TEST_F(JsonReportTest, DocumentOfARun) {
    test::ExpectGoldenFile(Write(), std::string(VM_TEST_DATA_DIR) + "/reports/json/run.json");
}

TEST_F(JsonReportTest, DisabledItemsAsDontAddDisabledSays) {
    settings.DontAddDisabled = 1;
    const std::string text = Write();
    EXPECT_EQ(text.find("\"disabled\""), std::string::npos);
    EXPECT_NE(text.find("\"name\":\"refused\""), std::string::npos);
    EXPECT_NE(text.find("\"include_disabled\":false"), std::string::npos);
}

TEST_F(JsonReportTest, TheHistoryLineIsTheSameDocumentOnOneLine) {
    JsonReportSource source;
    source.settings = &settings;
    source.measurements = &measurements;
    source.encoding = &encoding;
    source.programVersion = "1.27";
    const std::string line = CompactJsonReport(list, source);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.find('\r'), std::string::npos);
    // The same values as the file: parsed, both give the same run.
    const std::string file = Write();
    JsonValue fromLine, fromFile;
    ASSERT_TRUE(ParseJson(line.data(), line.size(), &fromLine));
    ASSERT_TRUE(ParseJson(file.data(), file.size(), &fromFile));
    RunRecord a, b;
    ASSERT_TRUE(ReadRunRecord(fromLine, &a));
    ASSERT_TRUE(ReadRunRecord(fromFile, &b));
    EXPECT_EQ(a.runStart, b.runStart);
    ASSERT_EQ(a.items.size(), b.items.size());
    ASSERT_GE(a.items.size(), 3u);
    for (size_t i = 0; i < a.items.size(); ++i) {
        EXPECT_EQ(a.items[i].url, b.items[i].url);
        EXPECT_EQ(a.items[i].name, b.items[i].name);
        EXPECT_EQ(a.items[i].status, b.items[i].status);
        EXPECT_EQ(a.items[i].samples.size(), b.items[i].samples.size());
    }
    std::string withoutBreaks = file;
    withoutBreaks.erase(std::remove(withoutBreaks.begin(), withoutBreaks.end(), '\n'),
                        withoutBreaks.end());
    EXPECT_EQ(line, withoutBreaks);
}

// Over the history's bound the line loses its samples first (steady speeds stay); a run
// that still passes it gives no line at all, never one its reader would skip.
TEST_F(JsonReportTest, TheHistoryLineKeepsWithinItsBound) {
    JsonReportSource source;
    source.settings = &settings;
    source.measurements = &measurements;
    source.encoding = &encoding;
    const std::string full = CompactJsonReport(list, source);
    const std::string lean = CompactJsonReport(list, source, full.size() - 1);
    ASSERT_FALSE(lean.empty());
    EXPECT_LT(lean.size(), full.size());
    EXPECT_EQ(lean.find("\"data_ms\""), std::string::npos);
    EXPECT_NE(lean.find("\"steady_bytes_per_s\""), std::string::npos);
    EXPECT_EQ(CompactJsonReport(list, source, full.size()), full);
    EXPECT_EQ(CompactJsonReport(list, source, lean.size() - 1), "");
}

// The writer and the reader share one bound: a run of 100,000 items with samples, which
// passes it whole, is written without them and read back with every item.
TEST(HistoryLine, ABigRunIsWrittenAndReadBack) {
    test::TestList big;
    test::Latin1Encoding encoding;
    RunMeasurements measurements;
    constexpr size_t kItems = 100'000;
    measurements.StartRun(test::UtcTime(2026, 12, 7, 11, 0, 0), kItems);
    for (size_t i = 0; i < kItems; ++i) {
        DownloadItem& item = big.Add("http://127.0.0.1/f" + std::to_string(i), "");
        item.status = DownloadStatus::Finished;
        measurements.StartAttempt(i, 0);
        for (uint32_t s = 1; s <= 8; ++s) measurements.AddSample(i, {s * 1000, s * 1000, s, 1});
        measurements.EndAttempt(i, 200, PhaseStamps(), true, 1);
    }
    big.list.Reload();
    JsonReportSource source;
    source.settings = &big.settings;
    source.measurements = &measurements;
    source.encoding = &encoding;
    const std::string line = CompactJsonReport(big.list, source, kMaxHistoryLineBytes);
    ASSERT_FALSE(line.empty());
    EXPECT_LE(line.size(), kMaxHistoryLineBytes);
    HistoryReader reader;
    reader.Feed(line.data(), line.size());
    reader.Feed("\n", 1);
    reader.Finish();
    EXPECT_EQ(reader.DamagedLines(), 0u);
    ASSERT_EQ(reader.RunCount(), 1u);
    EXPECT_EQ(reader.Latest().items.size(), kItems);
    EXPECT_EQ(reader.Trends().size(), kItems);
}

// A run that tested nothing says so to a script; the warnings list has room for others.
TEST_F(JsonReportTest, WarningsListWhatTheRunDidNotDo) {
    JsonReportSource source;
    source.settings = &settings;
    source.encoding = &encoding;
    source.warnings.push_back({"bad_number", "/runs x"});
    for (DownloadItem& item : list.Items()) item.disabled = 1;
    JsonValue document;
    const std::string line = CompactJsonReport(list, source);
    ASSERT_TRUE(ParseJson(line.data(), line.size(), &document));
    const JsonValue* warnings = document.Find("warnings");
    ASSERT_NE(warnings, nullptr);
    ASSERT_EQ(warnings->elements.size(), 2u);
    EXPECT_EQ(warnings->elements[0].TextOr("code", ""), "bad_number");
    EXPECT_EQ(warnings->elements[1].TextOr("code", ""), kNothingTestedWarning);
    list.Items()[0].disabled = 0;
    source.warnings.clear();
    EXPECT_EQ(CompactJsonReport(list, source).find("\"warnings\""), std::string::npos);
}

TEST_F(JsonReportTest, FileErrorsAreReported) {
    JsonReportSource source;
    source.settings = &settings;
    source.encoding = &encoding;
    uint32_t error = 0;
    files.createError = kErrorAccessDenied;
    EXPECT_FALSE(WriteJsonReport(list, source, files, "r.json", &error));
    EXPECT_EQ(error, kErrorAccessDenied);
    files.createError = 0;
    files.files["r.json"] = "{\"older\": true}";
    files.diskBytesLeft = 300;
    EXPECT_FALSE(WriteJsonReport(list, source, files, "r.json", &error));
    EXPECT_EQ(error, kErrorDiskFull);
    // Nothing shortened is left, and an older document stays whole.
    EXPECT_EQ(files.files.size(), 1u);
    EXPECT_EQ(files.files["r.json"], "{\"older\": true}");
}

}  // namespace
}  // namespace vm
