#pragma once
#include <cstdint>

namespace vm {

// Switches for runs that a monitoring system starts.
namespace switch_name {
constexpr const char kPrometheusFile[] = "/sprom";  // + file: the metrics, textfile-collector style
constexpr const char kPush[] = "/push";             // + URL: the metrics to a Pushgateway
constexpr const char kStrict[] = "/strict";         // the exit code tells failed and slow items
}  // namespace switch_name

// The export type of a run asked only for metrics ("/sprom" or "/push" without a report
// switch): it runs and quits like any export but writes no report file.
constexpr int32_t kMetricsOnlyExportType = 10;

// The Pushgateway grouping: job and the label that carries the computer name.
constexpr const char kPushJob[] = "velocimark";
constexpr const char kPushInstanceLabel[] = "instance";

}  // namespace vm
