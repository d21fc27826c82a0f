#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/report/HistoryReader.h"
#include "core/report/HtmlText.h"
#include "core/report/ResultsCharts.h"
#include "core/report/ResultsPage.h"
#include "support/FakeTranslation.h"
#include "support/Latin1Encoding.h"

namespace vm {
namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

std::string Item(const std::string& url, const std::string& name, const char* status,
                 double average, int seconds) {
    std::string samples;
    for (int s = 1; s <= seconds; ++s) {
        if (s > 1) samples += ',';
        samples += "{\"ms\":" + std::to_string(s * 1000) + ",\"data_ms\":0,\"bytes\":" +
                   std::to_string(s * 1024 * (s % 2 == 0 ? 90 : 110)) +
                   ",\"average_bytes_per_s\":0}";
    }
    return "{\"url\":\"" + url + "\",\"name\":\"" + name + "\",\"status\":\"" + status +
           "\",\"status_text\":\"x\",\"bytes\":100,\"duration_ms\":1000,\"average_bytes_per_s\":" +
           std::to_string(average) + ",\"steady_bytes_per_s\":" + std::to_string(average * 0.9) +
           ",\"samples\":[" + samples + "]}";
}

std::string RunLine(int hour, const std::vector<std::string>& items) {
    char start[40];
    std::snprintf(start, sizeof start, "2026-12-%02dT%02d:00:00.000Z", 1 + hour / 24, hour % 24);
    std::string line =
        "{\"format_version\":1,\"run_start\":\"" + std::string(start) + "\",\"items\":[";
    for (size_t i = 0; i < items.size(); ++i) line += (i ? "," : "") + items[i];
    return line + "]}\n";
}

std::string Page(const HistoryReader& history, bool kept = true) {
    test::Latin1Encoding encoding;
    ResultsPageSource source;
    source.history = &history;
    source.historyKept = kept;
    source.encoding = &encoding;
    return BuildResultsPage(source);
}

HistoryReader Read(const std::string& content) {
    HistoryReader reader;
    reader.Feed(content.data(), content.size());
    reader.Finish();
    return reader;
}

TEST(HtmlText, NothingTheUserTypedCanOpenATagOrEndAnAttribute) {
    struct Case {
        const char* text;
        const char* html;
    } cases[] = {
        {"a<b>&\"c\"'d'", "a&lt;b&gt;&amp;&quot;c&quot;&#39;d&#39;"},
        {"</svg><script>", "&lt;/svg&gt;&lt;script&gt;"},
        {"tab\tlf\n", "tab\tlf\n"},
        {"\x01\x1b\x7f", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
    };
    for (const Case& c : cases) {
        std::string out;
        AppendHtmlText(out, c.text);
        EXPECT_EQ(out, c.html);
    }
}

TEST(ResultsPage, HostileNamesAndUrlsAreEscapedInTheTableAndInsideSvg) {
    const std::string url = "http://h/?a=1&b=<x>\\\"";
    const std::string name = "</title></svg><script>alert(1)</script> \\\"q\\\" 'x'";
    const std::string page = Page(Read(RunLine(1, {Item(url, name, "finished", 2048, 5)}) +
                                       RunLine(2, {Item(url, name, "finished", 4096, 5)})));
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<x>"), std::string::npos);
    EXPECT_NE(page.find("&lt;/title&gt;&lt;/svg&gt;&lt;script&gt;"), std::string::npos);
    EXPECT_NE(page.find("a=1&amp;b=&lt;x&gt;&quot;"), std::string::npos);
    // In the table, the figure captions and the charts' labels.
    EXPECT_GE(Count(page, "&lt;/title&gt;&lt;/svg&gt;"), 4u);
    // Every <svg> is closed exactly once.
    EXPECT_EQ(Count(page, "<svg "), Count(page, "</svg>"));
}

TEST(ResultsPage, ChartsOfTheRunAndTrendsOfTheHistory) {
    std::string history;
    for (int hour = 0; hour < 5; ++hour) {
        history += RunLine(hour, {Item("http://a/", "a", "finished", 1000.0 * (hour + 1), 6),
                                  Item("http://b/", "b", hour == 2 ? "failed" : "finished", 500, 3),
                                  Item("http://c/", "c", "disabled", 0, 0)});
    }
    const std::string page = Page(Read(history));
    // Two finished items, one comparison, two trends (the disabled item has none).
    EXPECT_EQ(Count(page, "<svg class=\"chart item\""), 2u);
    EXPECT_EQ(Count(page, "<svg class=\"chart comparison\""), 1u);
    EXPECT_EQ(Count(page, "<svg class=\"chart trend\""), 2u);
    EXPECT_EQ(Count(page, "<g class=\"run"), 10u);
    EXPECT_EQ(Count(page, "<g class=\"run failed"), 1u);
    EXPECT_EQ(Count(page, "<g class=\"run latest\">"), 2u);
    // The statistics of a's trend: 1.0 ... 4.9 KB/s.
    EXPECT_NE(page.find("Minimum 1.0"), std::string::npos);
    EXPECT_NE(page.find("Median 2.9"), std::string::npos);
    EXPECT_NE(page.find("Maximum 4.9"), std::string::npos);
    // Nothing from outside: a policy that forbids loading, and no address but the SVG
    // namespace's (which is a name, not a request).
    EXPECT_NE(page.find("content=\"default-src 'none'"), std::string::npos);
    EXPECT_EQ(page.find("src="), std::string::npos);
    EXPECT_EQ(page.find("href="), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(Count(page, "http://www.w3.org/2000/svg"), 5u);
}

TEST(ResultsPage, ConnectionsAndTheirVerdictInTheTable) {
    std::string multi = Item("http://a/", "a", "finished", 4000, 3);
    multi.insert(multi.size() - 1,
                 ",\"connections\":{\"requested\":4,\"used\":4,\"ranges_supported\":true},"
                 "\"connection_verdict\":{\"single_bytes_per_s\":1000,\"multi_bytes_per_s\":"
                 "3980,\"ratio\":3.98,\"limit\":\"per_connection\"}");
    std::string single = Item("http://b/", "b", "finished", 500, 3);
    single.insert(single.size() - 1,
                  ",\"connections\":{\"requested\":4,\"used\":1,\"ranges_supported\":false}");
    const std::string older = Item("http://c/", "c", "finished", 500, 3);  // no such fields
    const std::string page = Page(Read(RunLine(0, {multi, single, older})));
    EXPECT_NE(page.find("<th>Connections</th>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"n\">4 (per connection, 3.98x)</td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"n\">1</td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"n\">-</td><td></td></tr>"),
              std::string::npos);  // an older run: no connections, no confidence
}

TEST(ResultsPage, NotesForDamagedLinesATornLastLineAndNoHistory) {
    const std::string run = RunLine(1, {Item("http://a/", "a", "finished", 1000, 2)});
    const std::string page = Page(Read("junk\n" + run + run.substr(0, 40)), false);
    EXPECT_NE(page.find("could not be read and were skipped: 2"), std::string::npos);
    EXPECT_NE(page.find("cut short"), std::string::npos);
    EXPECT_NE(page.find("this page shows this run only"), std::string::npos);
    const std::string empty = Page(Read(""));
    EXPECT_NE(empty.find("holds no run yet"), std::string::npos);
    EXPECT_EQ(empty.find("<svg"), std::string::npos);
}

TEST(ResultsPage, ItsTextsComeFromTheTranslationFileInUtf8) {
    test::FakeTranslation translation;
    translation.texts[IDS_PAGE_TITLE] = "R\xe9sultats <i>";
    translation.texts[IDS_PAGE_TRENDS] = "Tendance";
    test::ScopedTranslation scope(&translation);
    const std::string page = Page(Read(RunLine(1, {Item("http://a/", "a", "finished", 1000, 2)})));
    EXPECT_NE(page.find("<title>R\xc3\xa9sultats &lt;i&gt;</title>"), std::string::npos);
    EXPECT_NE(page.find("<h2>Tendance</h2>"), std::string::npos);
    EXPECT_NE(page.find("<h2>Results</h2>"), std::string::npos);  // untranslated: built in
}

// Every interval from t=0 to the download's end; odd samples are no interval.
TEST(ResultsCharts, ItemSpeedStepsCoverTheWholeDownload) {
    RunItemRecord item;
    item.samples = {{1000, 10240}, {2000, 30720}, {2000, 40000},
                    {1500, 50000}, {2500, 30000}, {4000, 61440}};
    item.durationMs = 4500;
    item.bytes = 66560;  // 5 KB after the last sample
    const std::vector<ChartPoint> steps = ItemSpeedSteps(item);
    const std::vector<ChartPoint> expected = {{0, 10}, {1, 10}, {1, 20}, {2, 20},
                                              {2, 15}, {4, 15}, {4, 10}, {4.5, 10}};
    ASSERT_EQ(expected.size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_DOUBLE_EQ(expected[i].x, steps[i].x) << i;
        EXPECT_DOUBLE_EQ(expected[i].y, steps[i].y) << i;
    }
    item.samples.clear();
    EXPECT_TRUE(ItemSpeedSteps(item).empty());
}

// Bars spanning more than 20x go on whole decades; the axis never holds more than a dozen.
TEST(ResultsCharts, BarScaleTurnsLogarithmicPast20x) {
    const BarScale mirrors = ChooseBarScale({1278, 289, 1100});
    EXPECT_FALSE(mirrors.logarithmic);
    EXPECT_DOUBLE_EQ(0, mirrors.Share(0));
    EXPECT_NEAR(1278 / mirrors.high, mirrors.Share(1278), 1e-12);
    EXPECT_FALSE(ChooseBarScale({100, 2000}).logarithmic);  // exactly 20x
    const BarScale loopback = ChooseBarScale({1278, 289, 300000, 1024000, 0});
    ASSERT_TRUE(loopback.logarithmic);
    EXPECT_DOUBLE_EQ(100, loopback.low);
    EXPECT_DOUBLE_EQ(1e7, loopback.high);
    ASSERT_EQ(6u, loopback.ticks.size());
    EXPECT_EQ("1,000,000", loopback.ticks[4].label);
    // The slow mirror's bar is a visible share of the width, not a sliver.
    EXPECT_GT(loopback.Share(289), 0.05);
    EXPECT_LT(loopback.Share(289), loopback.Share(1278));
    EXPECT_LE(ChooseBarScale({1e-3, 1e14}).ticks.size(), static_cast<size_t>(kMaxChartTicks));
}

TEST(ResultsCharts, TrendSelectionKeepsPeaksFailuresAndTheLatestRun) {
    std::vector<TrendPoint> points(10000);
    for (size_t i = 0; i < points.size(); ++i) {
        points[i].timeUnixMs = static_cast<int64_t>(i) * 1000;
        points[i].averageBytesPerSecond = 1000 + static_cast<double>(i % 97);
    }
    points[4321].averageBytesPerSecond = 1;     // the slowest run
    points[777].averageBytesPerSecond = 1e6;    // the fastest run
    points[5000].failed = true;                 // the only failure
    points[9999].averageBytesPerSecond = 1000;  // the latest, unremarkable
    const std::vector<size_t> kept = SelectTrendPoints(points, kMaxTrendPoints);
    EXPECT_LE(kept.size(), kMaxTrendPoints);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    EXPECT_EQ(std::adjacent_find(kept.begin(), kept.end()), kept.end());
    for (const size_t must : {size_t{4321}, size_t{777}, size_t{5000}, size_t{9999}})
        EXPECT_TRUE(std::binary_search(kept.begin(), kept.end(), must)) << must;
    // A short trend is drawn whole.
    points.resize(5);
    EXPECT_EQ(SelectTrendPoints(points, kMaxTrendPoints), (std::vector<size_t>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(SelectTrendPoints({}, kMaxTrendPoints).empty());
}

TEST(ResultsPage, StaysSmallWhateverTheHistorysLength) {
    // Many runs of ten URLs, and many URLs seen once each: the page's size levels off.
    std::string history;
    std::vector<std::string> items;
    std::vector<std::string> longItems;
    for (int i = 0; i < 10; ++i) {
        items.push_back(Item("http://host/" + std::to_string(i), "item", "finished", 2048, 1));
        longItems.push_back(
            Item("http://host/" + std::to_string(i), "item", "finished", 2048, 3000));
    }
    const std::string run = RunLine(1, items);
    for (int i = 0; i < 3000; ++i) history += run;
    for (int i = 0; i < 200; ++i)
        history += RunLine(2, {Item("http://once/" + std::to_string(i), "n", "finished", 100, 1)});
    history += RunLine(3, longItems);  // and the latest run's items have long samples
    const HistoryReader reader = Read(history);
    EXPECT_EQ(reader.RunCount(), 3201u);
    const std::string page = Page(reader);
    EXPECT_LT(page.size(), 2u * 1024 * 1024);
    EXPECT_EQ(Count(page, "<svg class=\"chart trend\""), kMaxTrendCharts);
    EXPECT_NE(page.find("not shown: 190"), std::string::npos);
}

TEST(ResultsPage, ReadsOnAnyScreenAndKeepsWhatMustNotTravel) {
    std::string first = Item("ftp://user:secret@h/f.bin",
                             "\xe2\x80\xae"
                             "evil",
                             "finished", 10240 * 1024, 3);
    std::string second = Item("http://a/very/long/path/to/a/file/on/a/mirror/100mb.bin", "",
                              "finished", 300 * 1024, 0);
    first.insert(1, "\"order\":2,");
    second.insert(1, "\"order\":1,");
    // Steady values on neither: the column goes.
    for (std::string* item : {&first, &second}) {
        const size_t at = item->find(",\"steady_bytes_per_s\"");
        item->erase(at, item->find(",\"samples\"") - at);
    }
    const std::string page = Page(Read(RunLine(1, {first, second})));
    EXPECT_EQ(std::string::npos, page.find("secret"));
    EXPECT_NE(std::string::npos, page.find("ftp://user@h/f.bin"));
    // The right-to-left override stays inside its own isolate.
    EXPECT_NE(std::string::npos, page.find("<bdi>\xe2\x80\xae"
                                           "evil</bdi>"));
    EXPECT_EQ(std::string::npos, page.find("Steady (KB/Sec)"));
    // Run order, not list order; the long URL shortened with the whole in its title.
    EXPECT_LT(page.find("mirror"), page.find("ftp://user@h"));
    EXPECT_NE(std::string::npos,
              page.find("title=\"http://a/very/long/path/to/a/file/on/a/mirror/100mb.bin\""));
    // No samples: a sentence and no empty chart; the comparison is on a log scale.
    EXPECT_NE(std::string::npos, page.find("No samples were taken."));
    EXPECT_EQ(1u, Count(page, "<svg class=\"chart item\""));
    EXPECT_NE(std::string::npos, page.find("(log scale)"));
    EXPECT_NE(std::string::npos, page.find(">10,240</text>"));  // each bar's value
    EXPECT_NE(std::string::npos, page.find(">300</text>"));
    // The table, one item chart, the comparison and two trends, each in its scroll box.
    EXPECT_EQ(Count(page, "<div class=\"scroll\">"), 5u);
}

TEST(ResultsPage, AbsurdNumbersAreDamageAndAnySpanGetsAFewTicks) {
    std::string bad = Item("http://a/", "a", "finished", 1000, 2);
    bad.replace(bad.find("\"bytes\":100"), 11, "\"bytes\":1e308");
    const std::string page =
        Page(Read(RunLine(1, {bad}) + RunLine(2, {Item("http://a/", "a", "finished", 1000, 2)})));
    EXPECT_NE(std::string::npos, page.find("could not be read and were skipped: 1"));
    // Runs dated 1601 and 9999: the date axis still has a handful of ticks.
    std::string span = RunLine(1, {Item("http://a/", "a", "finished", 1000, 2)});
    std::string late = span;
    span.replace(span.find("2026-12-01"), 10, "1601-01-02");
    late.replace(late.find("2026-12-01"), 10, "9999-12-30");
    const std::string wide = Page(Read(span + late));
    const size_t trend = wide.find("<svg class=\"chart trend\"");
    ASSERT_NE(std::string::npos, trend);
    const std::string chart = wide.substr(trend, wide.find("</svg>", trend) - trend);
    EXPECT_LE(Count(chart, "<path class=\"grid\""), 5u + kMaxChartTicks);
    EXPECT_LT(wide.size(), 64u * 1024);
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// A run is marked when its server's address or its cache status differs from the last run
// that knew them; a run that knew neither changes nothing.
TEST(ResultsPage, TrendMarksRunsOfAnotherServerOrCacheStatus) {
    const auto served = [](const std::string& address, const std::string& cache) {
        std::string item = Item("http://a/", "a", "finished", 1000, 1);
        std::string server = ",\"server\":{";
        if (!address.empty()) server += "\"address\":\"" + address + "\",";
        server += "\"headers\":{";
        if (!cache.empty()) server += "\"x-cache\":\"" + cache + "\"";
        server += "}}";
        return item.substr(0, item.size() - 1) + server + "}";
    };
    const std::string history =
        RunLine(1, {served("10.0.0.1", "MISS")}) + RunLine(2, {served("10.0.0.1", "miss from b")}) +
        RunLine(3, {Item("http://a/", "a", "finished", 1000, 1)}) +
        RunLine(4, {served("10.0.0.1", "HIT")}) + RunLine(5, {served("10.0.0.2", "")}) +
        RunLine(6, {served("10.0.0.2", "HIT")});
    const HistoryReader reader = Read(history);
    ASSERT_EQ(reader.Trends().size(), 1u);
    std::vector<bool> changed;
    for (const TrendPoint& p : reader.Trends()[0].points) changed.push_back(p.pathChanged);
    EXPECT_EQ(changed, (std::vector<bool>{false, false, false, true, true, false}));
    const std::string page = Page(reader);
    EXPECT_EQ(Count(page, "<circle class=\"changed\""), 2u);
    EXPECT_EQ(Count(page, "key changed"), 1u);
}

}  // namespace
}  // namespace vm
