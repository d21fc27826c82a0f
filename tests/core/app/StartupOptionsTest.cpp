#include <gtest/gtest.h>

#include <string>

#include "core/app/StartupOptions.h"
#include "core/config/CommandLineProfileStore.h"
#include "core/report/JsonExportSwitch.h"
#include "core/report/MonitorSwitches.h"
#include "support/MemoryFileSystem.h"

namespace vm {
namespace {

StartupOptions Read(const char* line) {
    ArgumentList list;
    list.Parse(line);
    return ReadStartupOptions(list);
}

TEST(StartupOptions, ExportSwitchDetection) {
    struct Case {
        const char* line;
        int32_t type;
        const char* file;
        bool hidden;
        const char* withoutValue;
    } cases[] = {
        {"/stext a.txt /sxml b.xml", 6, "b.xml", false, ""},
        {"/stext a.txt /sxml", 1, "a.txt", false, "/sxml"},
        {"/hidden /SCOMMA r.csv", 7, "r.csv", true, ""},
        {"/shtml r.html /hidden", 4, "r.html", true, ""},
        {"/hidden", 0, "", false, ""},  // /hidden alone: a normal start
        {"/hidden x", 0, "", false, ""},
        {"/stext", 0, "", false, "/stext"},
        {"\"/sverhtml\" \"my r.html\"", 5, "my r.html", false, ""},
        {"/stab t /stabular u", 3, "u", false, ""},
        // A known switch is never a value; a name that only starts with "/" is one.
        {"/stext /hidden", 0, "", false, "/stext"},
        {"/sjson /AutoStopTime 5", 0, "", false, "/sjson"},
        {"/sjson /tmp/r.json", 8, "/tmp/r.json", false, ""},
        {"/sjson r.json /history /hidden", 8, "r.json", true, "/history"},
        {"/config /sjson r.json", 8, "r.json", false, "/config"},
        {"/sjson r.json /push /strict", 8, "r.json", false, "/push"},
        {"/sjson r.json /every 5 /runs 2", 8, "r.json", true, ""},  // a watch runs hidden
        {"/sjson r.json /everyseconds", 8, "r.json", false, "/everyseconds"},
        // The JSON export takes part like the seven report types.
        {"/SJSON r.json /hidden", 8, "r.json", true, ""},
        {"/sjson r.json /stext r.txt", 1, "r.txt", false, ""},
        {"/stext r.txt /sjson r.json", 8, "r.json", false, ""},
        {"x /sjson", 0, "", false, "/sjson"},
        // So does the results page.
        {"/schart p.html /hidden", 9, "p.html", true, ""},
        {"/sjson r.json /SCHART p.html", 9, "p.html", false, ""},
        {"/history h.jsonl /schart p.html", 9, "p.html", false, ""},
        {"/history h.jsonl", 0, "", false, ""},  // a history alone is no export
    };
    for (const Case& c : cases) {
        const StartupOptions options = Read(c.line);
        EXPECT_EQ(options.exportMode, c.type) << c.line;
        EXPECT_EQ(options.exportFile, c.file) << c.line;
        EXPECT_EQ(options.hidden, c.hidden) << c.line;
        EXPECT_EQ(options.switchWithoutValue, c.withoutValue) << c.line;
    }
    // Kept whole, so that the export refuses it instead of writing to a cut name.
    EXPECT_EQ(Read(("/stext " + std::string(400, 'r')).c_str()).exportFile.size(), 400u);
    EXPECT_EQ(Read(("/config " + std::string(300, 'c')).c_str()).configFile.size(), 300u);
}

// A hidden start that cannot do what it was asked would wait unseen for ever.
TEST(StartupOptions, HiddenStartsWithoutAnExportAreRefused) {
    struct Case {
        const char* line;
        bool refused;
    } cases[] = {
        {"/hidden /stext", true},          // the file name left out
        {"/sjsn out.json /hidden", true},  // a misspelt export switch
        {"/hidden", false},                // alone: a normal visible start
        {"/hidden /config c.cfg /AutoStopTime 5", false},
        {"/hidden x", false},  // stray arguments are ignored
        {"/hidden /autostoptime", false},
        {"/hidden /AutoStopTim 5", true},
        {"/hidden /strict /DefaultMinSpeed 5", false},
        {"/stext /hidden", true},  // "/hidden" is no file name
        {"/stext /HIDDEN", true},
        {"/hidden /stext r.txt", false},
        {"/sjson r.json /hidden", false},
        {"/hidden /sprom", true},
        {"/hidden /push", true},
        {"/sprom /hidden", true},
        {"/sjson r.json /history /hidden", true},
        {"/sjson r.json /hidden /config", true},
        {"/sjsn out.json", false},  // visible starts ignore unknown switches
        {"/stext", false},
        {"", false},
    };
    for (const Case& c : cases) {
        ArgumentList list;
        list.Parse(c.line);
        EXPECT_EQ(HiddenWithoutExport(list, ReadStartupOptions(list)), c.refused) << c.line;
    }
}

// A misspelt /config must not run an empty list unseen; devices read as empty files.
TEST(StartupOptions, NamedConfigMissing) {
    test::MemoryFileSystem fs;
    fs.files["C:\\Work\\there.cfg"] = "[General]\r\n";
    const struct {
        const char* line;
        bool missing;
    } cases[] = {
        {"/config there.cfg /sjson r.json", false},
        {"/config typo.cfg /sjson r.json", true},
        {"/config C:\\nofolder\\there.cfg", true},
        {"/config nul.cfg", true},
        {"/config there.cfg:x", true},
        {"/config typo.cfg /nosaveload", false},
        {"/sjson r.json", false},  // the file beside the program: a first start
    };
    for (const auto& c : cases) {
        const StartupOptions options = Read(c.line);
        const ConfigSession session =
            MakeConfigSession(fs, "C:\\Tools\\v.exe", "C:\\Work", options);
        EXPECT_EQ(NamedConfigMissing(fs, session, options), c.missing) << c.line;
    }
}

TEST(StartupOptions, MonitoringSwitches) {
    const struct {
        const char* line;
        int32_t type;
        const char* file;
        const char* metrics;
        const char* push;
        bool strict, hidden;
    } cases[] = {
        {"/stext r.txt /sprom m.prom /strict", 1, "r.txt", "m.prom", "", true, false},
        // Metrics alone make an export run that writes no report.
        {"/sprom m.prom /hidden", kMetricsOnlyExportType, "", "m.prom", "", false, true},
        {"/PUSH http://gw:9091 /Strict", kMetricsOnlyExportType, "", "", "http://gw:9091", true,
         false},
        {"/sjson r.json /push http://gw/ /sprom m", 8, "r.json", "m", "http://gw/", false, false},
        // A switch in the last place has no value.
        {"/stext r.txt /sprom", 1, "r.txt", "", "", false, false},
        {"/strict /push", 0, "", "", "", true, false},
        {"/strict x", 0, "", "", "", true, false},
    };
    for (const auto& c : cases) {
        const StartupOptions o = Read(c.line);
        EXPECT_EQ(o.exportMode, c.type) << c.line;
        EXPECT_EQ(o.exportFile, c.file) << c.line;
        EXPECT_EQ(o.metricsFile, c.metrics) << c.line;
        EXPECT_EQ(o.pushUrl, c.push) << c.line;
        EXPECT_EQ(o.strict, c.strict) << c.line;
        EXPECT_EQ(o.hidden, c.hidden) << c.line;
    }
    EXPECT_EQ(Read(("/sprom " + std::string(400, 'm')).c_str()).metricsFile.size(), 400u);
    // Kept whole: the export refuses an address over kMaxPushUrlLength instead of cutting it.
    EXPECT_EQ(Read(("/push http://" + std::string(4000, 'h')).c_str()).pushUrl.size(), 4007u);

    AppSettings settings;
    ArgumentList list;
    list.Parse("/sjson r.json /DefaultMinSpeed 750 /DefaultRepeat 5");
    ApplyCommandLineOverrides(settings, list);
    EXPECT_EQ(settings.DefaultMinSpeed, 750);
    // A refused override keeps the file's value and is told through the session.
    ConfigSession session;
    list.Parse("/sjson r.json /DefaultMinSpeed 0x1E8480");
    ApplyCommandLineOverrides(settings, list, &session);
    EXPECT_EQ(settings.DefaultMinSpeed, 750);
    ASSERT_EQ(session.refusedCount, 1u);
    EXPECT_EQ(session.refusedNumbers[0].key, "DefaultMinSpeed");
    EXPECT_EQ(settings.DefaultRepeat, 5);
}

TEST(StartupOptions, HistoryFile) {
    struct Case {
        const char* line;
        const char* history;
    } cases[] = {
        {"/history h.jsonl", "h.jsonl"},
        {"/HISTORY \"my runs.jsonl\" /stext r.txt", "my runs.jsonl"},
        {"/stext r.txt /history", ""},  // last: no file named
        {"/stext r.txt", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Read(c.line).historyFile, c.history) << c.line;
    // Kept whole: a name over the bound fails at the append instead of naming another file.
    EXPECT_EQ(Read(("/history " + std::string(400, 'h')).c_str()).historyFile.size(), 400u);
}

TEST(StartupOptions, ProgramSwitchesAndConfigFile) {
    StartupOptions o = Read("/SaveLangFile /deleteregkey /NOSAVELOAD");
    EXPECT_TRUE(o.saveLangFile);
    EXPECT_TRUE(o.deleteRegKey);
    EXPECT_TRUE(o.noSaveLoad);
    EXPECT_EQ(Read("/config my.cfg").configFile, "my.cfg");
    EXPECT_EQ(Read("x /config").configFile, "");  // last: the default file

    test::MemoryFileSystem fs;
    const std::string cwd = "C:\\Work";
    ConfigSession session = MakeConfigSession(fs, "C:\\Tools\\velocimark.exe", cwd, Read("x"));
    EXPECT_EQ(session.path, "C:\\Tools\\velocimark.cfg");
    session = MakeConfigSession(fs, "C:\\My.Tools\\velocimark", cwd, Read("/config d:\\o.cfg"));
    EXPECT_EQ(session.path, "d:\\o.cfg");
    EXPECT_FALSE(session.hiddenExport);
    EXPECT_EQ(MakeConfigSession(fs, "v.exe", cwd, Read("/config sub\\my.cfg")).path,
              "C:\\Work\\sub\\my.cfg");
    EXPECT_TRUE(MakeConfigSession(fs, "v.exe", cwd, Read("/hidden /stext r")).hiddenExport);
    EXPECT_FALSE(MakeConfigSession(fs, "v.exe", cwd, Read("/hidden /stext")).hiddenExport);
}

TEST(StartupOptions, ResolvePath) {
    struct Case {
        const char* path;
        const char* directory;
        const char* expected;
    } cases[] = {
        {"my.cfg", "C:\\Work", "C:\\Work\\my.cfg"},
        {"my.cfg", "C:\\", "C:\\my.cfg"},
        {"..\\my.cfg", "C:\\Work", "C:\\Work\\..\\my.cfg"},
        {"D:\\x.cfg", "C:\\Work", "D:\\x.cfg"},
        {"\\\\server\\share\\x.cfg", "C:\\Work", "\\\\server\\share\\x.cfg"},
        {"/tmp/x.cfg", "C:\\Work", "/tmp/x.cfg"},
        {"x.cfg", "", "x.cfg"},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolvePath(c.path, c.directory), c.expected) << c.path;
}

TEST(StartupOptions, CommandLineOverridesOptions) {
    AppSettings settings;
    settings.AutoReportFilename = "kept.txt";
    ArgumentList list;
    list.Parse(
        "/AutoStopTime 5 /autostopstablevalue 2.75 /ShowGridLines 1 /FtpMode x "
        "/AutoReport 1 /WinPos 00 /NumOfDownloads 9 /DefaultConnections 4 /AutoReportFilename");
    ApplyCommandLineOverrides(settings, list);
    EXPECT_EQ(settings.AutoStopTime, 5);
    EXPECT_DOUBLE_EQ(settings.AutoStopStableValue, 2.75);
    EXPECT_EQ(settings.ShowGridLines, 1);
    EXPECT_EQ(settings.FtpMode, 0);  // atoi of a word
    EXPECT_EQ(settings.AutoReport, 1);
    EXPECT_EQ(settings.DefaultConnections, 4);
    EXPECT_EQ(settings.AutoReportFilename, "");  // switch in the last position
    EXPECT_EQ(settings.ConnectTimeout, 20);      // absent: unchanged
    EXPECT_EQ(settings.ShowInfoTip, 1);

    AppSettings last;
    list.Parse("/x /AutoStopTime");
    ApplyCommandLineOverrides(last, list);
    EXPECT_EQ(last.AutoStopTime, 0);

    AppSettings single;  // one argument: no override at all
    list.Parse("/AutoStopTime");
    ApplyCommandLineOverrides(single, list);
    EXPECT_EQ(single.AutoStopTime, 20);
}

TEST(StartupOptions, CommandLineStoreIgnoresBinaryAndCutsStrings) {
    ArgumentList list;
    list.Parse("/Name abcdef /Bin 01 /Short 70000");
    CommandLineProfileStore store(list);
    std::string name;
    store.ExchangeString("Name", name, "", 4);
    EXPECT_EQ(name, "abc");
    uint8_t bytes[2] = {5, 6};
    size_t count = 2;
    EXPECT_TRUE(store.ExchangeBinary("Bin", bytes, &count));
    EXPECT_EQ(bytes[0], 5);
    int16_t s = 0;
    store.ExchangeInt16("Short", s, 0);
    EXPECT_EQ(s, static_cast<int16_t>(70000));
    int32_t untouched = 42;
    store.ExchangeInt("Missing", untouched, 0);
    EXPECT_EQ(untouched, 42);
    EXPECT_EQ(store.FoundCount(), 2);  // binary values are never looked up
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

TEST(StartupOptions, LoadConfigurationAppliesOverridesAfterTheFile) {
    test::MemoryFileSystem fs;
    fs.files["v.cfg"] =
        "[General]\r\nAutoStopTime=30\r\nFtpMode=1\r\nNumOfDownloads=1\r\n[Download0]\r\n";
    ArgumentList list;
    list.Parse("/autostoptime 5 /stext r.txt");
    ConfigSession session = MakeConfigSession(fs, "v.exe", "C:\\", ReadStartupOptions(list));
    AppSettings settings;
    std::vector<DownloadItem> items;
    ConfigParts parts;
    parts.settings = &settings;
    parts.items = &items;
    EXPECT_EQ(LoadConfiguration(session, parts, list), ConfigResult::Done);
    EXPECT_EQ(settings.AutoStopTime, 5);  // the command line wins over the file
    EXPECT_EQ(settings.FtpMode, 1);
    EXPECT_EQ(settings.ConfirmDelete, 1);
    EXPECT_EQ(items.size(), 1u);

    list.Parse("/nosaveload /AutoStopTime 7");
    session = MakeConfigSession(fs, "v.exe", "C:\\", ReadStartupOptions(list));
    AppSettings fresh;
    std::vector<DownloadItem> none;
    parts.settings = &fresh;
    parts.items = &none;
    EXPECT_EQ(LoadConfiguration(session, parts, list), ConfigResult::Skipped);
    EXPECT_EQ(fresh.AutoStopTime, 7);
    EXPECT_EQ(fresh.FtpMode, 2);
    EXPECT_EQ(fresh.ConfirmDelete, 1);
    EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

TEST(StartupOptions, WatchSwitchesRunHiddenAndRefuseValuesThatAreNotCounts) {
    const struct {
        const char* line;
        uint32_t seconds, runs;
        int32_t type;
        bool refused;
    } cases[] = {
        {"/every 5 /runs 3 /sjson r.json", 300, 3, kJsonExportType, false},
        {"/everyseconds 2", 2, 0, kMetricsOnlyExportType, false},  // history only
        {"/every 1441", 0, 0, 0, true},
        {"/every 0x10 /sjson r.json", 0, 0, kJsonExportType, true},
        {"/every 5 /runs 2e3", 0, 0, 0, true},
        {"/every", 0, 0, 0, true},
        {"/runs 3 /sjson r.json", 0, 0, kJsonExportType, false},  // no watch: one run
    };
    for (const auto& c : cases) {
        ArgumentList list;
        list.Parse(c.line);
        const StartupOptions options = ReadStartupOptions(list);
        EXPECT_EQ(options.everySeconds, c.seconds) << c.line;
        EXPECT_EQ(options.runLimit, c.runs) << c.line;
        EXPECT_EQ(options.exportMode, c.type) << c.line;
        EXPECT_EQ(options.hidden, c.seconds > 0) << c.line;
        EXPECT_EQ(HiddenWithoutExport(list, options), c.refused) << c.line;
    }
}

}  // namespace
}  // namespace vm
