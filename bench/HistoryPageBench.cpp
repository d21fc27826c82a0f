// The results page from a history of 100, 1,000 and 10,000 runs of ten items each: the
// time to read the history and write the page, the page's size, and the ratio of the two
// larger histories (linear reading gives about 10). As a peer, the same file read in the
// same pieces with its lines only counted.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/platform/TextEncoding.h"
#include "core/report/HistoryReader.h"
#include "core/report/ResultsPage.h"

namespace {

constexpr int kItems = 10;
constexpr int kSamples = 20;
constexpr size_t kPiece = 1024 * 1024;

class Utf8AsIs : public vm::TextEncoding {
public:
    std::string SystemToUtf8(const std::string& text) override { return text; }
};

std::string RunLine(int run) {
    char start[40];
    const int minutes = run * 7;
    std::snprintf(start, sizeof start, "2026-%02d-%02dT%02d:%02d:00.000Z",
                  1 + (minutes / 43200) % 12, 1 + (minutes / 1440) % 28, (minutes / 60) % 24,
                  minutes % 60);
    std::string line =
        "{\"format_version\":1,\"program\":\"Velocimark\",\"version\":\"1.0\",\"run_start\":\"";
    line += start;
    line += "\",\"run_end\":\"";
    line += start;
    line +=
        "\",\"options\":{\"connect_timeout_s\":20,\"retries\":0,\"auto_stop\":{\"time_s\":20},"
        "\"ftp_passive\":true,\"include_disabled\":false},\"items\":[";
    for (int i = 0; i < kItems; ++i) {
        const bool failed = (run + i) % 17 == 0;
        const double speed = 100000.0 + 1000.0 * ((run * 31 + i * 7) % 100);
        if (i > 0) line += ',';
        line += "{\"url\":\"http://mirror" + std::to_string(i) +
                ".example.com/file.bin\",\"name\":\"Mirror " + std::to_string(i) +
                "\",\"order\":" + std::to_string(i + 1) + ",\"enabled\":true,\"status\":\"" +
                (failed ? "failed" : "finished") + "\",\"status_text\":\"" +
                (failed ? "Failed" : "Finished") + "\",\"attempts\":1,\"bytes\":" +
                std::to_string(static_cast<long long>(speed * kSamples)) +
                ",\"duration_ms\":20000,\"average_bytes_per_s\":" + std::to_string(speed) +
                ",\"phases_ms\":{\"connected\":3,\"first_byte\":9},\"steady_bytes_per_s\":" +
                std::to_string(speed * 0.97) + ",\"samples\":[";
        for (int s = 1; s <= kSamples; ++s) {
            if (s > 1) line += ',';
            line += "{\"ms\":" + std::to_string(s * 1000) +
                    ",\"data_ms\":" + std::to_string(s * 1000 - 3) +
                    ",\"bytes\":" + std::to_string(static_cast<long long>(speed * s)) +
                    ",\"average_bytes_per_s\":" + std::to_string(speed) + "}";
        }
        line += "]}";
    }
    line += "]}\n";
    return line;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::string history = folder + "/bench_history.jsonl";
    const std::string page = folder + "/bench_page.html";
    std::printf("%8s %12s %10s %10s %10s %10s\n", "runs", "history MB", "page s", "page KB",
                "peer s", "page/peer");
    double seconds[3] = {};
    const int counts[3] = {100, 1000, 10000};
    for (int c = 0; c < 3; ++c) {
        {
            std::ofstream out(history, std::ios::binary | std::ios::trunc);
            for (int run = 0; run < counts[c]; ++run) out << RunLine(run);
        }
        std::vector<char> piece(kPiece);
        // The peer: the same bytes read in the same pieces, lines counted.
        auto start = std::chrono::steady_clock::now();
        size_t lines = 0, bytes = 0;
        {
            std::ifstream in(history, std::ios::binary);
            while (in.read(piece.data(), kPiece) || in.gcount() > 0) {
                const size_t got = static_cast<size_t>(in.gcount());
                bytes += got;
                for (const char* p = piece.data();
                     (p = static_cast<const char*>(
                          std::memchr(p, '\n', got - (p - piece.data())))) != nullptr;
                     ++p)
                    ++lines;
            }
        }
        const double peer = Seconds(start);

        start = std::chrono::steady_clock::now();
        vm::HistoryReader reader;
        {
            std::ifstream in(history, std::ios::binary);
            while (in.read(piece.data(), kPiece) || in.gcount() > 0)
                reader.Feed(piece.data(), static_cast<size_t>(in.gcount()));
        }
        reader.Finish();
        Utf8AsIs encoding;
        vm::ResultsPageSource source;
        source.history = &reader;
        source.historyKept = true;
        source.encoding = &encoding;
        const std::string html = vm::BuildResultsPage(source);
        {
            std::ofstream out(page, std::ios::binary | std::ios::trunc);
            out << html;
        }
        seconds[c] = Seconds(start);
        if (reader.RunCount() != static_cast<size_t>(counts[c]) || lines != reader.RunCount()) {
            std::fprintf(stderr, "read %zu runs of %d (%zu lines)\n", reader.RunCount(), counts[c],
                         lines);
            return 1;
        }
        std::printf("%8d %12.1f %10.3f %10.1f %10.3f %10.1f\n", counts[c], bytes / 1048576.0,
                    seconds[c], html.size() / 1024.0, peer, peer > 0 ? seconds[c] / peer : 0.0);
        if (html.size() >= 2 * 1024 * 1024) {
            std::fprintf(stderr, "the page passed 2 MB\n");
            return 1;
        }
    }
    const double ratio = seconds[1] > 0 ? seconds[2] / seconds[1] : 0;
    std::printf("ratio 10,000 / 1,000 runs: %.2f (linear: about 10; at most 12)\n", ratio);
    std::remove(history.c_str());
    std::remove(page.c_str());
    return ratio <= 12 ? 0 : 2;
}
