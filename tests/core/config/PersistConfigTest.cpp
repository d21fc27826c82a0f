#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/PathRules.h"
#include "core/config/PersistConfig.h"
#include "support/FakeCodePage.h"
#include "support/FakeConfigParts.h"
#include "support/MemoryFileSystem.h"
#include "support/Utf16File.h"

namespace vm {
namespace {

using test::FakeColumns;
using test::FakeWindow;
using test::MemoryFileSystem;

constexpr char kPath[] = "C:\\Tools\\velocimark.cfg";

struct MemoryFiles {
    MemoryFileSystem fs;
};

// Every part of the configuration, in one file in memory.
struct Fixture : MemoryFiles, test::ConfigOnFile {
    FakeWindow window;
    FakeColumns columns;

    Fixture() : ConfigOnFile(fs, kPath) {
        parts.placement = &window;
        parts.columns = &columns;
    }
    ConfigResult Load(const std::string& text) {
        fs.files[kPath] = text;
        return ConfigOnFile::Load();
    }
    const std::string& File() { return fs.files[kPath]; }
};

TEST(PersistConfig, WritesGeneralInOrderThenTheItems) {
    Fixture f;
    f.settings.AutoStopTime = 7;
    f.settings.AutoReportFilename = "out.txt";
    f.window.current.showCmd = 1;
    f.window.current.right = 5;
    f.columns.sort = 8 + 4096;
    f.items.emplace_back("http://a/", "A", 0);
    f.items.emplace_back("ftp://b/", "", 1);
    f.items.back().disabled = 1;
    ASSERT_EQ(f.Save(), ConfigResult::Done);
    EXPECT_EQ(f.File(),
              "[General]\r\nShowGridLines=0\r\nSaveFilterIndex=0\r\nShowInfoTip=1\r\n"
              "ShowTimeInGMT=0\r\nDontAddDisabled=1\r\nAddExportHeaderLine=0\r\n"
              "UseAutoStopTime=1\r\nUseAutoStopSize=0\r\nUseAutoStopStable=0\r\n"
              "AutoStopTime=7\r\nAutoStopSize=5000\r\nFtpMode=2\r\nConnectTimeout=20\r\n"
              "AutoStopStableUnit=1\r\nAutoStopSizeUnit=2\r\nTryAgainOnFail=0\r\n"
              "NumOfRetries=3\r\nAutoReport=0\r\nAutoReportOpenInViewer=1\r\nAutoReportType=1\r\n"
              "AutoReportFilename=out.txt\r\nAutoStopStableValue=0.5\r\n"
              "ShowSpeedGraph=1\r\nSpeedGraphHeight=200\r\n"
              "WinPos=2C 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
              "00 00 00 00 00 00 00 00 00 00 00 00 05 00 00 00 00 00 00 00\r\n"
              "Columns=2C 01 00 00 96 00 01 00 64 00 02 00 64 00 03 00 64 00 04 00 64 00 05 00 "
              "78 00 06 00 6E 00 07 00 6E 00 08 00\r\n"
              "Sort=4104\r\nNumOfDownloads=2\r\n"
              "[Download0]\r\nURL=http://a/\r\nDownloadName=A\r\nDisabled=0\r\n"
              "[Download1]\r\nURL=ftp://b/\r\nDownloadName=\r\nDisabled=1\r\n");
}

TEST(PersistConfig, SavedFileLoadsBackTheSame) {
    Fixture a;
    a.settings.ShowGridLines = 1;
    a.settings.AutoStopStableValue = 1.5;
    a.settings.ShowSpeedGraph = 0;
    a.settings.SpeedGraphHeight = 321;
    a.settings.AutoReportFilename = " spaced \"name\" ";
    a.window.current = {44, 0, 3, -1, -1, -1, -1, 10, 20, 500, 400};
    a.columns.sort = 4099;
    a.columns.layout[0] = 0x20;
    a.items.emplace_back(std::string(kMaxUrlLength, 'u'), "'quoted'", 0);
    a.items.emplace_back("x", " lead and trail ", 1);
    a.items.back().disabled = 1;
    ASSERT_EQ(a.Save(), ConfigResult::Done);

    Fixture b;
    ASSERT_EQ(b.Load(a.File()), ConfigResult::Done);
    EXPECT_EQ(b.settings.ShowGridLines, 1);
    EXPECT_DOUBLE_EQ(b.settings.AutoStopStableValue, 1.5);
    EXPECT_EQ(b.settings.ShowSpeedGraph, 0);
    EXPECT_EQ(b.settings.SpeedGraphHeight, 321);
    EXPECT_EQ(b.settings.AutoReportFilename, " spaced \"name\" ");
    EXPECT_EQ(b.window.loaded.showCmd, 3u);
    EXPECT_EQ(b.window.loaded.right, 500);
    EXPECT_TRUE(b.window.applied);
    EXPECT_EQ(b.columns.sort, 4099);
    EXPECT_EQ(b.columns.layout, a.columns.layout);
    ASSERT_EQ(b.items.size(), 2u);
    EXPECT_EQ(b.items[0].url, a.items[0].url);  // a URL of full length survives
    EXPECT_EQ(b.items[0].name, "'quoted'");
    EXPECT_EQ(b.items[1].name, " lead and trail ");
    EXPECT_EQ(b.items[1].disabled, 1);
    EXPECT_EQ(b.items[1].order, 1);
}

TEST(PersistConfig, MissingFileGivesDefaultsAndAnEmptyList) {
    Fixture f;
    f.settings.AutoStopTime = 99;
    f.columns.sort = 5;
    EXPECT_EQ(PersistConfig(f.session, f.parts, false), ConfigResult::Missing);
    EXPECT_EQ(f.settings.AutoStopTime, 20);
    EXPECT_EQ(f.settings.AutoReportFilename, "report.txt");
    EXPECT_DOUBLE_EQ(f.settings.AutoStopStableValue, 0.5);
    EXPECT_TRUE(f.items.empty());
    EXPECT_EQ(f.window.loads, 1);
    EXPECT_FALSE(f.window.applied);
    EXPECT_EQ(f.window.loaded.showCmd, 0u);
    EXPECT_EQ(f.columns.applies, 0);
    EXPECT_EQ(f.columns.sort, 0);
    EXPECT_FALSE(f.session.saveBlocked);
}

TEST(PersistConfig, MissingSectionsGiveEmptyEnabledItems) {
    Fixture f;
    f.Load(
        "[General]\r\nNumOfDownloads=3\r\n[Download0]\r\nURL=a\r\n[Download2]\r\nURL=c\r\n"
        "DownloadName=C\r\nDisabled=1\r\n");
    ASSERT_EQ(f.items.size(), 3u);
    EXPECT_EQ(f.items[1].url, "");
    EXPECT_EQ(f.items[1].name, "");
    EXPECT_EQ(f.items[1].disabled, 0);
    EXPECT_EQ(f.items[2].url, "c");
    EXPECT_EQ(f.items[2].disabled, 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.items[i].order, i);
}

TEST(PersistConfig, SavingRenumbersAndDropsStaleSections) {
    Fixture f;
    f.Load(
        "[General]\r\nNumOfDownloads=4\r\n[Download0]\r\nURL=a\r\n[Download1]\r\nURL=b\r\n"
        "[Download2]\r\nURL=c\r\n[Download3]\r\nURL=d\r\n");
    ASSERT_EQ(f.items.size(), 4u);
    f.items[0].deleted = 1;
    f.items[2].deleted = 1;
    ASSERT_EQ(f.Save(), ConfigResult::Done);
    EXPECT_NE(f.File().find("NumOfDownloads=2\r\n[Download0]\r\nURL=b\r\n"), std::string::npos);
    EXPECT_NE(f.File().find("[Download1]\r\nURL=d\r\n"), std::string::npos);
    EXPECT_EQ(f.File().find("[Download2]"), std::string::npos);
    EXPECT_EQ(f.File().find("[Download3]"), std::string::npos);
}

TEST(PersistConfig, StableValueLoadsExactlyAndSavesWithOneDecimal) {
    Fixture f;
    f.Load("[General]\r\nAutoStopStableValue=2.34\r\n");
    EXPECT_DOUBLE_EQ(f.settings.AutoStopStableValue, 2.34);
    f.Save();
    EXPECT_NE(f.File().find("AutoStopStableValue=2.3\r\n"), std::string::npos);
}

TEST(PersistConfig, ColumnsValueRules) {
    const std::vector<uint8_t> defaults = FakeColumns().layout;
    struct Case {
        const char* columns;
        int applies;
        bool changed;
    } cases[] = {
        {"", 0, false},
        {"   ", 0, false},
        // two columns at position 0: ignored whole
        {"2C 01 00 00 96 00 00 00", 1, false},
        // a short value changes the first entry and keeps the rest
        {"20 00 00 00", 1, true},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Load(std::string("[General]\r\nColumns=") + c.columns + "\r\nSort=junk\r\n");
        EXPECT_EQ(f.columns.applies, c.applies) << c.columns;
        EXPECT_EQ(f.columns.layout != defaults, c.changed) << c.columns;
        EXPECT_EQ(f.columns.sort, 0) << c.columns;
        if (c.changed) {
            EXPECT_EQ(f.columns.layout[0], 0x20);
            EXPECT_EQ(f.columns.layout[1], 0);
            EXPECT_TRUE(
                std::equal(defaults.begin() + 4, defaults.end(), f.columns.layout.begin() + 4));
        }
    }
}

TEST(PersistConfig, ImplausibleWinPosIsKeptButNotApplied) {
    Fixture f;
    // 20 pixels wide, maximised.
    f.Load(
        "[General]\r\nWinPos=2C 00 00 00 00 00 00 00 03 00 00 00 FF FF FF FF FF FF FF FF "
        "FF FF FF FF FF FF FF FF 64 00 00 00 64 00 00 00 78 00 00 00 44 02 00 00\r\n");
    EXPECT_FALSE(f.window.applied);
    EXPECT_EQ(f.window.loaded.showCmd, 3u);
    EXPECT_EQ(f.window.loaded.right, 120);
    Fixture g;
    g.Load("[General]\r\nWinPos=2C 00 00 00 00 00 00 00 01\r\n");  // short: the rest is zero
    EXPECT_FALSE(g.window.applied);
    EXPECT_EQ(g.window.loaded.showCmd, 1u);
}

TEST(PersistConfig, NoSaveLoadNeitherReadsNorWrites) {
    Fixture f;
    f.session.noSaveLoad = true;
    const std::string before = "[General]\r\nAutoStopTime=3\r\nNumOfDownloads=1\r\n";
    EXPECT_EQ(f.Load(before), ConfigResult::Skipped);
    EXPECT_EQ(f.settings.AutoStopTime, 20);
    EXPECT_TRUE(f.items.empty());
    EXPECT_EQ(f.window.loads, 0);
    f.items.emplace_back("http://x/", "", 0);
    EXPECT_EQ(f.Save(), ConfigResult::Skipped);
    EXPECT_EQ(f.File(), before);
}

TEST(PersistConfig, HiddenExportLeavesThePlacementOut) {
    Fixture f;
    f.session.hiddenExport = true;
    f.Load("[General]\r\nWinPos=2C\r\n");
    EXPECT_EQ(f.window.loads, 0);
    f.Save();
    EXPECT_EQ(f.File().find("WinPos"), std::string::npos);
}

TEST(PersistConfig, AbsurdItemCountsAreBounded) {
    // A negative count is no count: the section is still taken (see SectionsTheCount...).
    Fixture negative;
    negative.Load("[General]\r\nNumOfDownloads=-5\r\n[Download0]\r\nURL=a\r\n");
    ASSERT_EQ(negative.items.size(), 1u);
    EXPECT_EQ(negative.items[0].url, "a");

    // A count above the last section loads up to that section; the gaps stay blank items.
    const struct {
        const char* sections;
        size_t items;
    } kCounts[] = {
        {"[Download1]\r\nURL=b\r\n", 2},
        {"[download0]\r\nURL=b\r\n[DOWNLOAD4]\r\n[Download07]\r\n[Download9x]\r\n", 5},
        {"[Other]\r\n[Download]\r\n[Download-1]\r\n[Download99999999999]\r\n", 0},
        {"", 0},
    };
    for (const auto& c : kCounts) {
        Fixture huge;
        huge.Load(std::string("[General]\r\nNumOfDownloads=2000000000\r\n") + c.sections);
        EXPECT_EQ(huge.items.size(), c.items) << c.sections;
        EXPECT_FALSE(huge.session.saveBlocked);
    }

    // Real items past the bound: the shortened list never replaces the file.
    Fixture beyond;
    const std::string file = "[General]\r\nNumOfDownloads=600000\r\n[Download" +
                             std::to_string(kMaxDownloadItems) + "]\r\nURL=z\r\n";
    EXPECT_EQ(beyond.Load(file), ConfigResult::Truncated);
    EXPECT_EQ(beyond.items.size(), static_cast<size_t>(kMaxDownloadItems));
    EXPECT_TRUE(beyond.session.saveBlocked);
    EXPECT_EQ(beyond.Save(), ConfigResult::Skipped);
    EXPECT_EQ(beyond.File(), file);
}

TEST(PersistConfig, JunkAndOverlongValuesLoadSafely) {
    std::string junk = "[General]\r\nNumOfDownloads=2\r\n[Download0]\r\nURL=";
    junk += std::string(1 << 20, 'x');
    junk += "\r\nDownloadName=" + std::string(1000, 'n') + "\r\nWinPos=zz\r\n";
    for (int i = 0; i < 100000; ++i) junk += static_cast<char>(1 + (i * 131) % 255);
    Fixture f;
    EXPECT_EQ(f.Load(junk), ConfigResult::Done);
    ASSERT_EQ(f.items.size(), 1u);  // the count goes no further than the last section
    // Kept whole, never cut into another URL: the run refuses it, the save writes it back.
    EXPECT_EQ(f.items[0].url, std::string(1 << 20, 'x'));
    EXPECT_EQ(f.items[0].name, std::string(1000, 'n'));
    ASSERT_EQ(f.Save(), ConfigResult::Done);
    EXPECT_NE(f.File().find("\r\nURL=" + std::string(1 << 20, 'x') + "\r\n"), std::string::npos);
    EXPECT_NE(f.File().find("\r\nDownloadName=" + std::string(1000, 'n') + "\r\n"),
              std::string::npos);
}

TEST(PersistConfig, SectionsTheCountDoesNotCoverAreLoadedAndSavedBack) {
    const char kSections[] =
        "[Download0]\r\nURL=a\r\n[Download1]\r\nURL=b\r\n"
        "[Download2]\r\nURL=c\r\n[Download5]\r\nURL=f\r\n";
    const struct {
        const char* general;  // the General section, damaged in turn
        const char* urls;     // the URLs loaded, in order, "-" for a blank item
    } kCases[] = {
        {"[General]\r\nNumOfDownloads=4\r\n", "a b c - f"},  // a gap inside the count: blank
        {"[General]\r\nNumOfDownloads=2\r\n", "a b c f"},    // too small: the tail still loads
        {"[General]\r\nNumOfDownloads=0\r\n", "a b c f"},
        {"[General]\r\n", "a b c f"},  // missing
        {"[General]\r\nNumOfDownloads=-1\r\n", "a b c f"},
        {"[General]\r\nNumOfDownloads=0x4\r\n", "a b c f"},  // hex reads as 0
        {"[General]\r\nNumOfDownloads=many\r\n", "a b c f"},
        {"", "a b c f"},  // no General header
        {"[General]\r\nNumOfDownloads=6\r\n", "a b c - - f"},
    };
    for (const auto& c : kCases) {
        Fixture f;
        EXPECT_EQ(f.Load(std::string(c.general) + kSections), ConfigResult::Done);
        std::string urls;
        for (const DownloadItem& item : f.items) {
            urls += (urls.empty() ? "" : " ") + (item.url.empty() ? std::string("-") : item.url);
        }
        EXPECT_EQ(urls, c.urls) << c.general;
        for (size_t i = 0; i < f.items.size(); ++i) {
            EXPECT_EQ(f.items[i].order, static_cast<int32_t>(i));
        }
        // What was loaded is what the save writes: every URL is still in the file.
        ASSERT_EQ(f.Save(), ConfigResult::Done);
        for (const char* url : {"URL=a\r\n", "URL=b\r\n", "URL=c\r\n", "URL=f\r\n"}) {
            EXPECT_NE(f.File().find(url), std::string::npos) << c.general << url;
        }
    }
    // Out of order and repeated headers: numeric order, each once.
    Fixture shuffled;
    shuffled.Load("[Download7]\r\nURL=h\r\n[Download3]\r\nURL=d\r\n[download7]\r\nURL=x\r\n");
    ASSERT_EQ(shuffled.items.size(), 2u);
    EXPECT_EQ(shuffled.items[0].url, "d");
    EXPECT_EQ(shuffled.items[1].url, "h");
}

TEST(PersistConfig, WhyALoadOrSaveFailedIsKept) {
    const struct {
        std::string file;
        uint32_t error;
        ConfigProblem problem;
    } kCases[] = {
        {std::string("[General]\r\n\0", 12), kErrorInvalidData, ConfigProblem::NulByte},
        {std::string(kMaxConfigFileBytes + 1, ' '), kErrorFileTooLarge, ConfigProblem::None},
    };
    for (const auto& c : kCases) {
        Fixture f;
        EXPECT_EQ(f.Load(c.file), ConfigResult::Unreadable);
        EXPECT_EQ(f.session.error, c.error);
        EXPECT_EQ(f.session.problem, c.problem);
    }
    // A /config name over the bound is not cut into the name of some other file.
    test::MemoryFileSystem fs;
    const std::string longPath = "C:\\" + std::string(kMaxPath, 'c');
    fs.files[longPath.substr(0, kMaxPath)] = "[General]\r\n";
    test::ConfigOnFile config(fs, longPath);
    EXPECT_EQ(config.Load(), ConfigResult::Unreadable);
    EXPECT_EQ(config.session.error, kErrorFilenameTooLong);
    EXPECT_EQ(config.Save(), ConfigResult::Skipped);
    EXPECT_EQ(fs.files.size(), 1u);

    Fixture denied;
    denied.fs.createError = kErrorAccessDenied;
    EXPECT_EQ(denied.Save(), ConfigResult::WriteFailed);
    EXPECT_EQ(denied.session.error, kErrorAccessDenied);
}

TEST(PersistConfig, UnreadableFileIsNeverOverwritten) {
    // Above the size bound, and bytes that are no text (NULs without a byte order mark).
    const std::string kFiles[] = {std::string(kMaxConfigFileBytes + 1, '\n'),
                                  std::string("[General]\r\nAutoStopTime=3\r\n\0\0", 29),
                                  std::string("[\0G\0e\0n\0]\0", 11)};
    for (const std::string& before : kFiles) {
        Fixture f;
        f.fs.files[kPath] = before;
        EXPECT_EQ(PersistConfig(f.session, f.parts, false), ConfigResult::Unreadable);
        EXPECT_TRUE(f.session.saveBlocked);
        EXPECT_EQ(f.settings.AutoStopTime, 20);
        EXPECT_EQ(f.Save(), ConfigResult::Skipped);
        EXPECT_TRUE(f.File() == before);
    }
}

// A file with text but no line a configuration has is the user's something else (a run
// history, notes): it is not taken, and never saved over.
TEST(PersistConfig, FilesThatAreNoConfigurationAreNeverReplaced) {
    const struct {
        std::string text;
        bool configuration;
    } kCases[] = {
        {"{\"format_version\":1,\"items\":[{\"url\":\"http://x/?a=b\"}]}\n", false},
        {"Meeting notes\r\nTODO: ask a=b\r\n", false},
        {"; only a comment\r\n", false},
        {"=value\r\n", false},
        {"AutoStopTime=5\r\n", true},  // a hand-written file without [General]
        {"\xEF\xBB\xBF [Download0]\r\n", true},
        {"notes\r\nDownload Name = x\r\n", true},
        {" \r\n\t\r\n", true},  // blank: nothing to lose, a first start
    };
    for (const auto& c : kCases) {
        Fixture f;
        f.fs.files[kPath] = c.text;
        const ConfigResult loaded = PersistConfig(f.session, f.parts, false);
        EXPECT_EQ(loaded == ConfigResult::Done, c.configuration) << c.text;
        EXPECT_EQ(f.Save() == ConfigResult::Skipped, !c.configuration) << c.text;
        if (c.configuration) continue;
        EXPECT_EQ(loaded, ConfigResult::Unreadable) << c.text;
        EXPECT_EQ(f.session.problem, ConfigProblem::NotConfiguration) << c.text;
        EXPECT_EQ(f.File(), c.text);
    }
}

TEST(PersistConfig, Utf16FileLoadsAndIsSavedBackAsEightBitText) {
    test::FakeDoubleByteCodePage codePage;
    // As Notepad saves "Unicode": UTF-16LE with its byte order mark.
    const std::u16string text =
        u"[General]\r\nAutoStopTime=7\r\nShowGridLines=1\r\nNumOfDownloads=2\r\n"
        u"[Download0]\r\nURL=http://a/\u30A2\r\nDownloadName=\u00C4rger\r\n"
        u"[Download1]\r\nURL=ftp://b/\r\nDisabled=1\r\n";
    Fixture f;
    ASSERT_EQ(f.Load(test::Utf16File(text)), ConfigResult::Done);
    EXPECT_EQ(f.settings.AutoStopTime, 7);
    EXPECT_EQ(f.settings.ShowGridLines, 1);
    ASSERT_EQ(f.items.size(), 2u);
    EXPECT_EQ(f.items[0].url, "http://a/\x83\x41");
    EXPECT_EQ(f.items[0].name, "\xC4rger");
    EXPECT_EQ(f.items[1].disabled, 1);

    ASSERT_EQ(f.Save(), ConfigResult::Done);
    EXPECT_EQ(f.File().rfind("[General]\r\nShowGridLines=1\r\n", 0), 0u);
    EXPECT_NE(f.File().find("AutoStopTime=7\r\n"), std::string::npos);
    EXPECT_NE(f.File().find("[Download0]\r\nURL=http://a/\x83\x41\r\nDownloadName=\xC4rger\r\n"),
              std::string::npos);
}

TEST(PersistConfig, FailedSavesLeaveTheOldFileAsItWas) {
    const std::string before = "[General]\r\nAutoStopTime=3\r\nNumOfDownloads=0\r\n";
    for (int failure = 0; failure < 3; ++failure) {
        Fixture f;
        f.fs.files[kPath] = before;
        f.items.emplace_back("http://a/", "A", 0);
        if (failure == 0) f.fs.createError = kErrorAccessDenied;
        if (failure == 1) f.fs.diskBytesLeft = 100;  // full in the middle of the write
        if (failure == 2) f.fs.moveError = kErrorAccessDenied;
        EXPECT_EQ(f.Save(), ConfigResult::WriteFailed) << failure;
        EXPECT_EQ(f.File(), before) << failure;
        EXPECT_EQ(f.fs.files.size(), 1u) << "the temporary file is removed";
    }
}

TEST(PersistConfig, SavesKeepWhatTheFileAndItsNeighboursAre) {
    // A file of the user's named like the temporary file is neither used nor removed.
    Fixture f;
    f.fs.files[std::string(kPath) + ".new"] = "the user's";
    f.items.emplace_back("http://a/", "A", 0);
    ASSERT_EQ(f.Save(), ConfigResult::Done);
    EXPECT_EQ(f.fs.files[std::string(kPath) + ".new"], "the user's");
    EXPECT_EQ(f.fs.files.size(), 2u);

    // A path at the bound still has room for its temporary file beside it.
    const std::string atBound = "C:\\" + std::string(kMaxPath - 7, 'c') + ".cfg";
    ASSERT_EQ(atBound.size(), kMaxPath);
    test::MemoryFileSystem fs;
    test::ConfigOnFile config(fs, atBound);
    EXPECT_EQ(config.Save(), ConfigResult::Done);
    EXPECT_TRUE(fs.Exists(atBound));
    EXPECT_EQ(fs.files.size(), 1u);
}

// A platform that refuses to replace a file (read-only) and one that writes through a link.
class GuardedFileSystem : public test::MemoryFileSystem {
public:
    bool ReplacementTarget(const std::string& path, std::string* target, uint32_t* error) override {
        if (path == "C:\\ro.cfg") {
            *error = kErrorAccessDenied;
            return false;
        }
        *target = path == "C:\\link.cfg" ? "D:\\real.cfg" : path;
        return true;
    }
};

TEST(PersistConfig, ReadOnlyFilesAreNotReplacedAndLinksAreWrittenWhereTheyPoint) {
    GuardedFileSystem fs;
    fs.files["C:\\ro.cfg"] = "read-only";
    test::ConfigOnFile readOnly(fs, "C:\\ro.cfg");
    EXPECT_EQ(readOnly.Save(), ConfigResult::WriteFailed);
    EXPECT_EQ(readOnly.session.error, kErrorAccessDenied);
    EXPECT_EQ(fs.files["C:\\ro.cfg"], "read-only");

    fs.files["C:\\link.cfg"] = "the link";
    test::ConfigOnFile linked(fs, "C:\\link.cfg");
    EXPECT_EQ(linked.Save(), ConfigResult::Done);
    EXPECT_EQ(fs.files["C:\\link.cfg"], "the link");
    EXPECT_EQ(fs.files["D:\\real.cfg"].compare(0, 9, "[General]"), 0);
}

TEST(PersistConfig, ListAtTheBoundsSavesAndLoadsBackAndPastThemIsRefused) {
    Fixture f;
    f.session.maxFileBytes = 64 * 1024;
    const std::string url = "http://h/" + std::string(kMaxUrlLength - 9, 'u');
    const std::string name(kMaxNameLength, 'n');
    f.Save();
    size_t size = f.File().size();
    const size_t perItem = 70 + url.size() + name.size();
    while (size + perItem <= f.session.maxFileBytes) {
        f.items.emplace_back(url, name, static_cast<int32_t>(f.items.size()));
        f.items.back().disabled = f.items.size() % 2;
        size += perItem;
    }
    ASSERT_EQ(f.Save(), ConfigResult::Done);
    Fixture back;
    back.session.maxFileBytes = f.session.maxFileBytes;
    ASSERT_EQ(back.Load(f.File()), ConfigResult::Done);
    ASSERT_EQ(back.items.size(), f.items.size());
    EXPECT_EQ(back.items.back().url, url);
    EXPECT_EQ(back.items.back().name, name);
    EXPECT_EQ(back.items.back().disabled, f.items.back().disabled);

    const std::string saved = f.File();
    f.items.emplace_back(url, name, 0);
    EXPECT_EQ(f.Save(), ConfigResult::TooLarge);
    EXPECT_EQ(f.File(), saved);
}

}  // namespace
}  // namespace vm

#include <filesystem>
#include <memory>

#include "core/platform/FileReplacement.h"
#include "core/platform/FileSystem.h"

namespace vm {
namespace {

// Real files whose writes fail once a byte budget is spent, as on a small disk that fills.
class FillingFileSystem : public StdFileSystem {
public:
    size_t bytesLeft = 0;
    std::unique_ptr<OutputFile> CreateForWriting(const std::string& path,
                                                 uint32_t* error) override {
        std::unique_ptr<OutputFile> file = StdFileSystem::CreateForWriting(path, error);
        return file ? std::make_unique<Filling>(std::move(file), &bytesLeft) : nullptr;
    }

private:
    class Filling : public OutputFile {
    public:
        Filling(std::unique_ptr<OutputFile> file, size_t* left)
            : file_(std::move(file)), left_(left) {}
        bool Write(const char* data, size_t size) override {
            const size_t part = size < *left_ ? size : *left_;
            *left_ -= part;
            file_->Write(data, part);
            if (part < size) failed_ = true;
            return !failed_;
        }
        bool Close() override { return file_->Close() && !failed_; }
        uint32_t Error() const override { return failed_ ? kErrorDiskFull : file_->Error(); }

    private:
        std::unique_ptr<OutputFile> file_;
        size_t* left_;
        bool failed_ = false;
    };
};

TEST(PersistConfig, RealFileFillingUpMidWriteIsLeftAsItWas) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "velocimark-full-disk-test.cfg";
    FillingFileSystem fs;
    fs.bytesLeft = static_cast<size_t>(-1);
    test::ConfigOnFile config(fs, path.string());
    config.items.emplace_back("http://old/", "old", 0);
    ASSERT_EQ(config.Save(), ConfigResult::Done);
    std::string before;
    uint32_t error = 0;
    ASSERT_TRUE(fs.ReadWhole(path.string(), kMaxConfigFileBytes, &before, &error));

    for (int i = 0; i < 2000; ++i) {
        config.items.emplace_back("http://new/" + std::to_string(i), "new", i);
    }
    fs.bytesLeft = 40000;  // the disk fills in the middle of the list
    EXPECT_EQ(config.Save(), ConfigResult::WriteFailed);
    std::string after;
    ASSERT_TRUE(fs.ReadWhole(path.string(), kMaxConfigFileBytes, &after, &error));
    EXPECT_TRUE(after == before);
    EXPECT_FALSE(fs.Exists(path.string() + kReplacementSuffix));
    fs.Remove(path.string());
}

TEST(PersistConfig, RealFileRoundTrip) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "velocimark-persist-test.cfg";
    StdFileSystem fs;
    test::ConfigOnFile saved(fs, path.string());
    saved.settings.AutoStopTime = 42;
    saved.items.emplace_back("C:\\data\\file.bin", "local", 0);
    ASSERT_EQ(saved.Save(), ConfigResult::Done);

    test::ConfigOnFile loaded(fs, path.string());
    EXPECT_EQ(loaded.Load(), ConfigResult::Done);
    EXPECT_EQ(loaded.settings.AutoStopTime, 42);
    ASSERT_EQ(loaded.items.size(), 1u);
    EXPECT_EQ(loaded.items[0].url, "C:\\data\\file.bin");
    std::string text;
    uint32_t error = 0;
    ASSERT_TRUE(fs.ReadWhole(path.string(), kMaxConfigFileBytes, &text, &error));
    EXPECT_EQ(text.compare(0, 28, "[General]\r\nShowGridLines=0\r\n"), 0);
    fs.Remove(path.string());
    EXPECT_EQ(loaded.Load(), ConfigResult::Missing);
}

TEST(PersistConfig, MinimumSpeedsAndRepeatsAreWrittenOnlyWhenSetAndLoadBack) {
    Fixture a;
    a.settings.DefaultMinSpeed = 300;
    a.settings.DefaultRepeat = 5;
    a.items.emplace_back("http://a/", "A", 0);
    a.items.emplace_back("http://b/", "B", 1);
    a.items[1].minSpeed = 1500;
    a.items[1].repeat = 3;
    ASSERT_EQ(a.Save(), ConfigResult::Done);
    const std::string saved = a.File();
    EXPECT_NE(saved.find("SpeedGraphHeight=200\r\nDefaultMinSpeed=300\r\nDefaultRepeat=5\r\n"),
              std::string::npos);
    EXPECT_NE(saved.find("[Download0]\r\nURL=http://a/\r\nDownloadName=A\r\nDisabled=0\r\n["),
              std::string::npos);
    EXPECT_NE(saved.find("Disabled=0\r\nMinSpeed=1500\r\nRepeat=3\r\n"), std::string::npos);

    Fixture b;
    ASSERT_EQ(b.Load(saved), ConfigResult::Done);
    EXPECT_EQ(b.settings.DefaultMinSpeed, 300);
    EXPECT_EQ(b.settings.DefaultRepeat, 5);
    ASSERT_EQ(b.items.size(), 2u);
    EXPECT_EQ(b.items[0].minSpeed, 0);
    EXPECT_EQ(b.items[1].minSpeed, 1500);
    EXPECT_EQ(b.items[0].repeat, 0);
    EXPECT_EQ(b.items[1].repeat, 3);

    // Back to their defaults: the keys leave the file instead of staying behind.
    b.settings.DefaultMinSpeed = 0;
    b.settings.DefaultRepeat = 1;
    b.items[1].minSpeed = 0;
    b.items[1].repeat = 0;
    ASSERT_EQ(b.Save(), ConfigResult::Done);
    EXPECT_EQ(b.File().find("MinSpeed"), std::string::npos);
    EXPECT_EQ(b.File().find("Repeat"), std::string::npos);
}

TEST(PersistConfig, ConnectionKeysAreWrittenOnlyWhenSetAndLoadBack) {
    Fixture a;
    a.items.emplace_back("http://a/", "A", 0);
    ASSERT_EQ(a.Save(), ConfigResult::Done);
    EXPECT_EQ(a.File().find("Connections"), std::string::npos);  // a single connection

    a.settings.DefaultConnections = 4;
    a.settings.DefaultCompareConnections = 1;
    a.items[0].connections = 8;
    a.items[0].compareConnections = 1;
    ASSERT_EQ(a.Save(), ConfigResult::Done);
    const std::string saved = a.File();
    EXPECT_NE(saved.find("DefaultConnections=4\r\nDefaultCompareConnections=1\r\n"),
              std::string::npos);
    EXPECT_NE(saved.find("Disabled=0\r\nConnections=8\r\nCompareConnections=1\r\n"),
              std::string::npos);

    Fixture b;
    ASSERT_EQ(b.Load(saved), ConfigResult::Done);
    EXPECT_EQ(b.settings.DefaultConnections, 4);
    EXPECT_EQ(b.settings.DefaultCompareConnections, 1);
    ASSERT_EQ(b.items.size(), 1u);
    EXPECT_EQ(b.items[0].connections, 8);
    EXPECT_EQ(b.items[0].compareConnections, 1);

    b.settings.DefaultConnections = 1;
    b.settings.DefaultCompareConnections = 0;
    b.items[0].connections = 0;
    b.items[0].compareConnections = 0;
    ASSERT_EQ(b.Save(), ConfigResult::Done);
    EXPECT_EQ(b.File().find("Connections"), std::string::npos);
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

TEST(PersistConfig, NumberKeysTakeOnlyPlainDecimalNumbersAndSayWhichTheyRefused) {
    const struct {
        const char* text;
        bool taken;
    } cases[] = {{"2000000", true}, {" 42 ", true}, {"-5", true},          {"0x1E8480", false},
                 {"abc", false},    {"2e6", false}, {"2000000abc", false}, {"99999999999", false},
                 {"1.5", false},    {"+", false}};
    for (const auto& c : cases) {
        Fixture f;
        f.Load(std::string("[General]\r\nDefaultMinSpeed=") + c.text +
               "\r\n[Download0]\r\nURL=u\r\nMinSpeed=" + c.text + "\r\n");
        const size_t refused = c.taken ? 0 : 2;
        ASSERT_EQ(f.session.refusedCount, refused) << c.text;
        ASSERT_EQ(f.items.size(), 1u);
        if (c.taken) {
            EXPECT_EQ(f.settings.DefaultMinSpeed, f.items[0].minSpeed) << c.text;
            continue;
        }
        // Refused: the default, never the leading digits.
        EXPECT_EQ(f.settings.DefaultMinSpeed, 0) << c.text;
        EXPECT_EQ(f.items[0].minSpeed, 0) << c.text;
        EXPECT_EQ(f.session.refusedNumbers[1].section, "Download0");
        EXPECT_EQ(f.session.refusedNumbers[1].key, "MinSpeed");
        EXPECT_EQ(f.session.refusedNumbers[1].text, c.text);
    }
    // A number past its range is refused too; the older keys keep their lenient reading.
    Fixture range;
    range.Load(
        "[General]\r\nRunEveryMinutes=1441\r\nAlertDropPercent=-1\r\nAutoStopTime=12abc\r\n");
    EXPECT_EQ(range.session.refusedCount, 2u);
    EXPECT_EQ(range.settings.RunEveryMinutes, 0);
    EXPECT_EQ(range.settings.AlertDropPercent, 30);
    EXPECT_EQ(range.settings.AutoStopTime, 12);
}

TEST(PersistConfig, AlertKeysAreWrittenOnlyWhenTheyLeaveTheirDefaults) {
    Fixture a;
    ASSERT_EQ(a.Save(), ConfigResult::Done);
    EXPECT_EQ(a.File().find("Alert"), std::string::npos);
    EXPECT_EQ(a.File().find("RunEvery"), std::string::npos);
    a.settings.AlertDropPercent = 0;  // off is a value of its own
    a.settings.RunEveryMinutes = 15;
    ASSERT_EQ(a.Save(), ConfigResult::Done);
    Fixture b;
    b.Load(a.File());
    EXPECT_EQ(b.settings.AlertDropPercent, 0);
    EXPECT_EQ(b.settings.AlertRecentRuns, 2);
    EXPECT_EQ(b.settings.RunEveryMinutes, 15);
}

}  // namespace
}  // namespace vm
