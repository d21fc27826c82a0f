#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vm {

// Probes never move more than this share of the bytes a download moves.
constexpr double kProbeByteShare = 0.05;
// The loaded times' trimmed mean leaves out the slowest this share (the responsiveness
// measure of the IETF draft takes the 95% trimmed mean).
constexpr double kRpmTrimShare = 0.05;

// Median, 90th percentile and count of a set of probe times in milliseconds.
struct LatencySummary {
    double median = 0;
    double p90 = 0;
    size_t n = 0;
};

// The quantile q (0..1) of the values, interpolated between the two nearest ranks; 0 for
// no values.
double Quantile(std::vector<double> values, double q);
LatencySummary SummarizeLatency(const std::vector<double>& ms);
// The mean of the values after the slowest trimShare of them (rounded down, at least none)
// is left out.
double TrimmedMean(std::vector<double> values, double trimShare);
// Round trips per minute from the loaded probe times: 60,000 over their trimmed mean,
// rounded; 0 without times.
uint32_t RoundTripsPerMinute(const std::vector<double>& loadedMs);

// The byte budget of the probes: a probe may go when the probes' bytes with it stay within
// kProbeByteShare of the bytes moved (the download's and the probes').
class ProbeBudget {
public:
    [[nodiscard]] bool Allows(uint64_t downloadBytes, uint64_t probeBytes) const;
    void Spend(uint64_t bytes) { spent_ += bytes; }
    uint64_t Spent() const { return spent_; }

private:
    uint64_t spent_ = 0;
};

}  // namespace vm
