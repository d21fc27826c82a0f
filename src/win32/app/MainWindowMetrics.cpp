#include "win32/app/MainWindow.h"

#include <wininet.h>

#include <cstdio>

#include "core/lang/StringTable.h"
#include "core/report/PrometheusText.h"
#include "core/report/PushgatewayUrl.h"
#include "win32/engine/PushgatewayClient.h"
#include "win32/platform/WinTextEncoding.h"
#include "win32/window/ShellUtil.h"

namespace vm {

std::string MainWindow::RunMetricsText() {
    WinTextEncoding encoding;
    MetricsSource source;
    source.settings = &settings_;
    source.measurements = run_ != nullptr ? &run_->Measurements() : nullptr;
    source.encoding = &encoding;
    source.alerts = alertsJudged_ ? &alerts_ : nullptr;
    return PrometheusMetricsText(list_.Items(), source);
}

bool MainWindow::WriteMetricsFile(const std::string& path) {
    uint32_t error = ERROR_INVALID_NAME;
    if (!path.empty() && WritePrometheusFile(RunMetricsText(), files_, path, &error)) return true;
    return ReportFailed(error);
}

bool MainWindow::PushRunMetrics(const std::string& gatewayUrl) {
    WinTextEncoding encoding;
    const std::string url = PushgatewayGroupUrl(gatewayUrl, encoding.SystemToUtf8(ComputerName()));
    if (url.empty()) return ReportFailed(ERROR_INTERNET_INVALID_URL);
    BeginWaitCursor();
    const PushResult result = PushMetricsText(url, RunMetricsText());
    EndWaitCursor();
    if (result.Succeeded()) return true;
    if (result.error != 0) return ReportFailed(result.error);
    if (!(options_.hidden && exportRequest_.type != 0)) {
        char text[512];
        std::snprintf(text, sizeof text, GetFormatString(IDS_PUSH_REFUSED),
                      static_cast<int>(result.httpStatus));
        MessageBoxA(Handle(), text, "Error", MB_ICONWARNING);
    }
    return false;
}

}  // namespace vm
