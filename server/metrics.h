// What the server measures, in the Prometheus text format for /metrics. Any part of the server registers
// a family with a function that reads its current samples; nothing is copied until /metrics is asked for.
// Thread-safe: families may be added while /metrics is being read.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct MetricSample {
    std::string labels;  // as written between the braces, `reason="timed_out"`; empty for none
    double value = 0;
};

enum class MetricType { kCounter, kGauge, kHistogram };

class MetricRegistry {
  public:
    using Reader = std::function<std::vector<MetricSample>()>;

    // A family of samples; for a histogram the reader gives the _bucket, _sum and _count lines itself (see
    // LatencyHistogram), with the suffix in the labels' place: "_bucket{le=\"0.01\"}".
    void Add(const std::string& name, MetricType type, const std::string& help, Reader read);
    // One unlabelled value.
    void AddValue(const std::string& name, MetricType type, const std::string& help,
                  std::function<double()> read);

    std::string Render() const;

  private:
    struct Family {
        std::string name;
        MetricType type;
        std::string help;
        Reader read;
    };
    mutable std::mutex mutex;
    std::vector<Family> families;
};

// Durations in fixed buckets, lock-free to observe from the thread that measures.
class LatencyHistogram {
  public:
    static constexpr std::array<double, 12> kBounds = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025,
                                                       0.05,   0.1,   0.25,   0.5,   1.0,  2.5};
    void Observe(double seconds);
    // The samples of a histogram family, for MetricRegistry::Add.
    std::vector<MetricSample> Samples() const;

  private:
    std::array<std::atomic<uint64_t>, kBounds.size() + 1> counts{};  // the last is above every bound
    std::atomic<uint64_t> sumMicroseconds{0};
};
