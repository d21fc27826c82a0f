#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vm {

// One of the once-a-second samples the speed rules take while an item downloads, with
// times counted from the start of the download (the accepted response).
struct SpeedSample {
    uint32_t ms = 0;                   // when the sample was taken
    uint32_t dataMs = 0;               // when the last of the counted bytes had arrived
    uint64_t bytes = 0;                // bytes counted by then
    double averageBytesPerSecond = 0;  // the running average the stable-speed rule compares
    uint64_t us = 0;                   // ms and dataMs on the microsecond clock
    uint64_t dataUs = 0;
};

// The warm-up is at least this long: TCP's slow start and a server's head start (nginx
// lets a second's worth through at once) both fall into the first second.
constexpr uint32_t kSteadyWarmUpMs = 1000;
// After that first second the warm-up goes on while the next interval is this much faster
// than the one before it: the rate is still climbing.
constexpr double kSteadyClimbFactor = 1.10;
// After the warm-up an interval is an outlier, and left out, when its rate lies outside
// Tukey's fences (this many interquartile ranges below the lower quartile or above the
// upper one of the intervals' rates) and also more than this share off their median: the
// fences judge against the spread of a noisy link, and the share keeps the jitter of a
// throttled server's nearly equal rates from counting as outliers.
constexpr double kSteadyFenceFactor = 1.5;
constexpr double kSteadyMinDeviation = 0.03;
// What must remain for a steady speed: this many intervals, together at least this long.
constexpr uint32_t kSteadyMinIntervals = 3;
constexpr uint32_t kSteadyMinMs = 3000;

// The steady-state speed in bytes per second over the samples after the warm-up; false
// when too little remains (short downloads, or a rate that climbs through the first half).
//
// The points are (dataMs, bytes), not (ms, bytes): a throttling server sends in bursts
// (nginx sends a second's worth at once, then waits), so a sample tick falls anywhere on
// the flat part of a step and the byte count by tick time is off by up to a whole burst,
// while the moment the count was reached lies on the true line. A sample that adds no
// new data repeats the last point and is passed over; the time of a stall still counts,
// in the interval that spans it.
//
// The warm-up ends at the first point at least kSteadyWarmUpMs in, or later while the
// interval after the point is more than kSteadyClimbFactor times faster than the interval
// before it; it may not reach past half of the span. Of the intervals after it, the
// outliers (above) are left out: on a loaded
// machine a burst is read in several turns and a sample can fall between them, or part of
// it stays unread in the library for a while, and such a point lies off the line. The
// speed is the average of the remaining interval rates, weighted by their length: their
// bytes over their time.
bool SteadySpeed(const std::vector<SpeedSample>& samples, double* bytesPerSecond);

// The same, with the rates (bytes per second) of every interval after the warm-up: how
// steady the link was. The outliers the speed leaves out are in it, since on a jumpy link
// the jumps are what the fences cut.
bool SteadySpeed(const std::vector<SpeedSample>& samples, double* bytesPerSecond,
                 std::vector<double>* intervalRates);

}  // namespace vm
