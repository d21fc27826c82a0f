#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/DownloadItem.h"
#include "core/engine/RunMeasurements.h"
#include "core/options/AppSettings.h"
#include "core/platform/FileSystem.h"
#include "core/platform/TextEncoding.h"
#include "core/report/AlertRules.h"

namespace vm {

// Every metric name starts with this.
constexpr const char kMetricPrefix[] = "velocimark_";

// What the metrics are made of besides the items.
struct MetricsSource {
    const AppSettings* settings = nullptr;
    const RunMeasurements* measurements = nullptr;  // none: no phases, steady speed or run times
    TextEncoding* encoding = nullptr;               // the system code page to UTF-8
    const std::vector<Alert>* alerts = nullptr;     // judged against the history; none: none
};

// A label value as the text exposition format wants it between its quotes: backslash,
// double quote and line feed escaped (a carriage return, alone or before a line feed,
// counts as one line break), and every byte that is not part of well-formed UTF-8
// replaced by U+FFFD.
std::string EscapeLabelValue(std::string_view utf8);

// True for a name the format accepts: [a-zA-Z_:][a-zA-Z0-9_:]*.
bool IsValidMetricName(std::string_view name);

// The URL as a label shows it: a password in its user part is left out, since the
// metrics travel further than the list does ("ftp://u:secret@h/" gives "ftp://u@h/").
std::string UrlForLabel(const std::string& url);

// A file time as seconds since 1970 (what Prometheus calls a Unix timestamp).
double UnixSeconds(FileTime time);

// The metrics of a run in the text exposition format (version 0.0.4): per enabled item
// (labels url and name; a repeated pair gets an occurrence label) the bytes, the
// duration, the average and steady speeds, the minimum speed, the phase times, success
// and slow gauges, the connections used, the confidence and, for repeated measurements,
// their 10th and 90th percentile speeds; then the run's start and end times; then per alert
// (labels url, name, rule) 1 while it fires and 0 in the run it recovered. Families without
// a sample are
// left out. Storage order of the items.
std::string PrometheusMetricsText(const std::vector<DownloadItem>& items,
                                  const MetricsSource& source);

// Writes the text to path whole or not at all (a temporary file beside it takes the
// path's place), so that a collector reading the file never sees half of it. False with
// the platform's error code.
[[nodiscard]] bool WritePrometheusFile(const std::string& text, FileSystem& files,
                                       const std::string& path, uint32_t* error);

}  // namespace vm
