#pragma once
#include <string>
#include <vector>

#include "core/app/ExportRunEnd.h"

namespace vm::test {

// An export request for a report type and a file name.
inline ExportRequest Export(int32_t type, const std::string& file) {
    ExportRequest request;
    request.type = type;
    request.fileName = file;
    return request;
}

// The host at the end of a run: writes, pushes and quits as its fields say, and records
// each call ("write 5 C:\prog\r.txt", "quit 1" ...) in calls.
class RecordingRunHost : public ExportRunHost {
public:
    bool reportWrites = true;
    bool metricsWrites = true;
    bool pushWorks = true;
    bool historyKept = false;  // without a history, AppendHistory succeeds unrecorded
    bool historySucceeds = true;
    bool interrupted = false;
    std::vector<std::string> calls;

    bool AppendHistory() override {
        if (!historyKept) return true;
        calls.push_back("history");
        return historySucceeds;
    }
    bool WriteReport(int32_t type, const std::string& path) override {
        calls.push_back("write " + std::to_string(type) + " " + path);
        return reportWrites;
    }
    bool WriteJsonReport(const std::string& path) override {
        calls.push_back("json " + path);
        return reportWrites;
    }
    bool WriteResultsPage(const std::string& path, bool historyAppended) override {
        calls.push_back("page " + path + (historyAppended ? " +history" : " -history"));
        return reportWrites;
    }
    bool WriteMetricsFile(const std::string& path) override {
        calls.push_back("metrics " + path);
        return metricsWrites;
    }
    bool PushMetrics(const std::string& url) override {
        calls.push_back("push " + url);
        return pushWorks;
    }
    void OpenWithShell(const std::string& path) override { calls.push_back("open " + path); }
    void Quit(int exitCode) override { calls.push_back("quit " + std::to_string(exitCode)); }
    std::string ProgramFolder() override { return "C:\\prog"; }
    bool RunInterrupted() override { return interrupted; }
};

}  // namespace vm::test
