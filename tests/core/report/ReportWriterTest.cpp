#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/FileTimeCalendar.h"
#include "core/list/ItemCells.h"
#include "core/report/ReportWriter.h"
#include "support/AllocationCounter.h"
#include "support/FakeTranslation.h"
#include "support/GoldenFile.h"
#include "support/MemoryFileSystem.h"
#include "support/TestList.h"
#include "support/UtcTime.h"

namespace vm {
namespace {

using test::MemoryFileSystem;

const char* const kExtensions[] = {"", "txt", "txt", "txt", "html", "html", "xml", "csv"};

std::string GoldenPath(const std::string& name, int type) {
    return std::string(VM_TEST_DATA_DIR) + "/reports/" + name + "/type" + std::to_string(type) +
           "." + kExtensions[type];
}

void ExpectGolden(const std::string& actual, const std::string& name, int type) {
    test::ExpectGoldenFile(actual, GoldenPath(name, type));
}

DownloadItem Finished(const std::string& url, const std::string& name, uint64_t bytes,
                      uint32_t durationMs) {
    DownloadItem item(url, name, 0);
    item.status = DownloadStatus::Finished;
    item.bytes = bytes;
    item.startTime = test::UtcTime(2026, 3, 4, 5, 6, 7);
    item.startTick = 1000;
    item.RecomputeSpeed(1000 + durationMs);
    return item;
}

class ReportWriterTest : public ::testing::Test, protected test::TestList {
protected:
    LanguageState language;
    MemoryFileSystem files;

    std::string Report(int type, bool selectedOnly = false) {
        uint32_t error = 0;
        EXPECT_TRUE(WriteReport(list, settings, language, files, type, "r", selectedOnly, &error))
            << type;
        EXPECT_EQ(error, 0u);
        return files.files["r"];
    }

    void ExpectAllGolden(const std::string& name) {
        for (int type = kFirstReportType; type <= kLastReportType; ++type) {
            ExpectGolden(Report(type), name, type);
        }
    }

    // Several items with the characters the formats treat specially; Name moved to the
    // front and Speed (Bits) hidden.
    void AddMixedItems() {
        Add(Finished("http://example.com/a,b", "Comma, name", 1536, 3500));
        DownloadItem failed("http://example.com/missing", "Quote \"q\" name", 0);
        failed.status = DownloadStatus::Failed;
        failed.serverStatus = 404;
        Add(failed);
        Add(DownloadItem("http://example.com/abcdefghijklmnop", "Semi;colon", 0));
        DownloadItem disabled = Finished("ftp://example.com/file", " leading space", 0, 0);
        disabled.disabled = 1;
        Add(disabled);
        DownloadItem running =
            Finished("http://example.com/?a=1&b=2", "<b>bold</b> & co", 1250000, 10000);
        running.status = DownloadStatus::Downloading;
        Add(running);
        list.Reload();
        std::vector<uint8_t> layout = list.LayoutBytes();
        layout[0 * 4 + 2] = 1;  // URL to position 1
        layout[1 * 4 + 2] = 0;  // Name to position 0
        layout[4 * 4] = 0;      // Speed (Bits) hidden
        ASSERT_TRUE(list.ApplyLayoutBytes(layout.data(), layout.size()));
    }
};

TEST_F(ReportWriterTest, EmptyListGivesOnlyTheFrames) {
    list.Reload();
    ExpectAllGolden("empty");
    settings.AddExportHeaderLine = 1;
    ExpectGolden(Report(kReportTabDelimited), "empty-header", kReportTabDelimited);
    ExpectGolden(Report(kReportCommaDelimited), "empty-header", kReportCommaDelimited);
}

TEST_F(ReportWriterTest, OneFinishedItem) {
    Add(Finished("http://speed.example.com/10MB.bin", "Ten MB", 1250000, 10000));
    list.Reload();
    settings.AddExportHeaderLine = 1;
    ExpectAllGolden("one");
}

TEST_F(ReportWriterTest, SeveralItemsWithAHiddenAndAMovedColumn) {
    settings.DontAddDisabled = 0;
    settings.AddExportHeaderLine = 1;
    AddMixedItems();
    ExpectAllGolden("mixed");
}

TEST_F(ReportWriterTest, DisabledItemsLeftOutWhenAsked) {
    settings.DontAddDisabled = 1;
    AddMixedItems();
    ExpectGolden(Report(kReportTabDelimited), "mixed-enabled", kReportTabDelimited);
    ExpectGolden(Report(kReportHtmlHorizontal), "mixed-enabled", kReportHtmlHorizontal);
    for (int type = kFirstReportType; type <= kLastReportType; ++type) {
        EXPECT_EQ(Report(type).find("leading space"), std::string::npos) << type;
    }
}

TEST_F(ReportWriterTest, TranslatedTitlesAndRightToLeftPage) {
    test::FakeTranslation translation;
    translation.texts = {{1005, "Total time of the download"},
                         {1002, "Nom"},
                         {8, "Rapport de vitesse"},
                         {6, "Fait avec"}};
    test::ScopedTranslation scoped(&translation);
    language.charset = "windows-1252";
    language.rightToLeft = true;
    settings.AddExportHeaderLine = 1;
    Add(Finished("http://speed.example.com/10MB.bin", "Ten MB", 1250000, 10000));
    list.Reload();
    for (int type : {kReportText, kReportTabDelimited, kReportHtmlHorizontal, kReportHtmlVertical,
                     kReportXml}) {
        ExpectGolden(Report(type), "translated", type);
    }
}

TEST_F(ReportWriterTest, SelectedRowsOnlyInDisplayOrder) {
    for (const char* name : {"a", "b", "c", "d"})
        Add(DownloadItem("u://" + std::string(name), name, 0));
    list.SetSortCode(kColumnName | kSortDescending);
    list.Reload();
    control.Select({0, 2});  // d and b
    std::vector<uint8_t> layout = list.LayoutBytes();
    for (int column = 2; column < kDownloadColumnCount; ++column) layout[column * 4] = 0;
    ASSERT_TRUE(list.ApplyLayoutBytes(layout.data(), layout.size()));
    EXPECT_EQ(Report(kReportTabDelimited, true), "u://d\td\t\r\nu://b\tb\t\r\n");
    control.Select({});
    EXPECT_EQ(Report(kReportTabDelimited, true), "");
}

TEST_F(ReportWriterTest, UnknownTypeFailsOnlyWithARowToWrite) {
    list.Reload();
    uint32_t error = 0;
    for (int type : {0, 8, -1}) {
        EXPECT_TRUE(WriteReport(list, settings, language, files, type, "r", false, &error));
        EXPECT_EQ(files.files["r"], "");
    }
    Add(DownloadItem("http://a/", "a", 0));
    list.Reload();
    EXPECT_FALSE(WriteReport(list, settings, language, files, 8, "r", false, &error));
    EXPECT_EQ(error, kErrorUnknownReportType);
    EXPECT_EQ(files.files["r"], "");
}

TEST_F(ReportWriterTest, FileThatCannotBeCreatedFailsWithItsError) {
    files.createError = kErrorAccessDenied;
    uint32_t error = 0;
    EXPECT_FALSE(WriteReport(list, settings, language, files, 1, "r", false, &error));
    EXPECT_EQ(error, kErrorAccessDenied);
}

TEST_F(ReportWriterTest, AFailedReportLeavesNoShortenedFileAndKeepsTheOlderOneWhole) {
    for (int i = 0; i < 3000; ++i) Add(DownloadItem("http://a/" + std::to_string(i), "n", 0));
    list.Reload();
    for (int type = kFirstReportType; type <= kLastReportType; ++type) {
        for (const bool older : {false, true}) {
            MemoryFileSystem disk;
            if (older) disk.files["r"] = "the report of yesterday";
            disk.diskBytesLeft = 5000;  // full in the middle of the rows
            uint32_t error = 0;
            EXPECT_FALSE(WriteReport(list, settings, language, disk, type, "r", false, &error));
            EXPECT_EQ(error, kErrorDiskFull);
            EXPECT_EQ(disk.files.size(), older ? 1u : 0u) << type;
            if (older) {
                EXPECT_EQ(disk.files["r"], "the report of yesterday") << type;
            }
        }
    }
}

// Records every write; the write numbered failAt fails like a full disk, and the file
// stays failed after it.
class SpyFileSystem : public FileSystem {
public:
    int failAt = -1;
    std::vector<size_t> writes;
    std::string content;
    bool closed = false;

    bool ReadWhole(const std::string&, size_t, std::string*, uint32_t* error) override {
        *error = kErrorFileNotFound;
        return false;
    }
    std::unique_ptr<OutputFile> CreateForWriting(const std::string&, uint32_t*) override {
        return std::make_unique<File>(this);
    }
    bool Exists(const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    bool MoveOver(const std::string&, const std::string&, uint32_t*) override { return true; }

private:
    class File : public OutputFile {
    public:
        explicit File(SpyFileSystem* fs) : fs_(fs) {}
        bool Write(const char* data, size_t size) override {
            fs_->writes.push_back(size);
            if (error_ != 0 || static_cast<int>(fs_->writes.size()) - 1 == fs_->failAt) {
                error_ = kErrorDiskFull;
                return false;
            }
            fs_->content.append(data, size);
            return true;
        }
        bool Close() override {
            fs_->closed = true;
            return error_ == 0;
        }
        uint32_t Error() const override { return error_; }

    private:
        SpyFileSystem* fs_;
        uint32_t error_ = 0;
    };
};

TEST_F(ReportWriterTest, FailedWriteAnywhereFailsTheReportAndStillClosesTheFile) {
    for (int i = 0; i < 3000; ++i) Add(DownloadItem("http://a/" + std::to_string(i), "n", 0));
    list.Reload();
    for (int type = kFirstReportType; type <= kLastReportType; ++type) {
        SpyFileSystem spy;
        spy.failAt = 0;  // the very first block, in the middle of the items
        uint32_t error = 0;
        EXPECT_FALSE(WriteReport(list, settings, language, spy, type, "r", false, &error)) << type;
        EXPECT_EQ(error, kErrorDiskFull) << type;
        EXPECT_TRUE(spy.closed) << type;
        // Rows stop at the failure: one attempt for the rows, one for the closing at most.
        EXPECT_LE(spy.writes.size(), 2u) << type;
    }
}

TEST_F(ReportWriterTest, OutputIsStreamedInBoundedBlocks) {
    for (int i = 0; i < 3000; ++i) {
        Add(Finished("http://example.com/" + std::to_string(i), "name", 1536, 3500));
    }
    list.Reload();
    SpyFileSystem spy;
    uint32_t error = 0;
    ASSERT_TRUE(
        WriteReport(list, settings, language, spy, kReportHtmlVertical, "r", false, &error));
    ASSERT_GT(spy.writes.size(), 3u);
    for (size_t size : spy.writes) EXPECT_LE(size, kReportOutputBufferBytes);
    EXPECT_EQ(spy.content, Report(kReportHtmlVertical));
}

TEST_F(ReportWriterTest, NothingIsAllocatedPerItemOrCell) {
    for (int i = 0; i < 2000; ++i) {
        DownloadItem item = Finished("http://example.com/" + std::to_string(i), "n", 1536, 3500);
        if (i % 3 == 0) {
            item.status = DownloadStatus::Failed;
            item.serverStatus = 404;
        }
        Add(item);
    }
    list.Reload();
    settings.AddExportHeaderLine = 1;
    for (int type = kFirstReportType; type <= kLastReportType; ++type) {
        SpyFileSystem spy;
        spy.content.reserve(1 << 20);
        uint32_t error = 0;
        const long before = test::AllocationCount();
        ASSERT_TRUE(WriteReport(list, settings, language, spy, type, "r", false, &error));
        // The writer and its buffers, the file, and the spy's record of each block.
        EXPECT_LT(test::AllocationCount() - before, 40) << type;
    }
}

TEST_F(ReportWriterTest, OverlongCellsAreCutWithoutBreakingTheLine) {
    DownloadItem item(std::string(4095, '&'), std::string(255, '"'), 0);
    Add(item);
    list.Reload();
    std::vector<uint8_t> layout = list.LayoutBytes();
    for (int column = 2; column < kDownloadColumnCount; ++column) layout[column * 4] = 0;
    ASSERT_TRUE(list.ApplyLayoutBytes(layout.data(), layout.size()));

    const std::string xml = Report(kReportXml);
    const size_t start = xml.find("<url>");
    const size_t end = xml.find("</url>\r\n");
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(end + 6 - start, kReportLineLimit);
    EXPECT_EQ((end - start - 5) % 5, 0u);  // whole "&amp;" entities only

    const std::string html = Report(kReportHtmlHorizontal);
    const size_t cell = html.find("<td bgcolor=#FFFFFF nowrap>&amp;");
    ASSERT_NE(cell, std::string::npos);
    const size_t next = html.find("<td", cell + 1);
    EXPECT_LE(next - cell, kReportLineLimit);
    EXPECT_EQ(html.substr(next - 5, 5), "&amp;");

    // A field of 255 double quotes doubles to 512 characters with its quotes: written whole.
    const std::string csv = Report(kReportCommaDelimited);
    EXPECT_EQ(csv.substr(csv.size() - 2 - 512), "\"" + std::string(510, '"') + "\"\r\n");
}

}  // namespace
}  // namespace vm
