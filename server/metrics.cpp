// What the server measures, as Prometheus text (see metrics.h).
#include "server/metrics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const char* TypeName(MetricType type) {
    switch (type) {
        case MetricType::kCounter:
            return "counter";
        case MetricType::kGauge:
            return "gauge";
        case MetricType::kHistogram:
            break;
    }
    return "histogram";
}

std::string Number(double value) {
    if (std::isinf(value)) {
        return value > 0 ? "+Inf" : "-Inf";
    }
    char text[64];
    // Counters are whole numbers: print them without an exponent however large they grow.
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%.9g", value);
    }
    return text;
}

}  // namespace

void MetricRegistry::Add(const std::string& name, MetricType type, const std::string& help, Reader read) {
    std::lock_guard lock(mutex);
    families.push_back({name, type, help, std::move(read)});
}

void MetricRegistry::AddValue(const std::string& name, MetricType type, const std::string& help,
                              std::function<double()> read) {
    Add(name, type, help, [read = std::move(read)] { return std::vector<MetricSample>{{"", read()}}; });
}

std::string MetricRegistry::Render() const {
    std::lock_guard lock(mutex);
    std::string text;
    for (const Family& family : families) {
        text += "# HELP " + family.name + " " + family.help + "\n";
        text += "# TYPE " + family.name + " " + TypeName(family.type) + "\n";
        for (const MetricSample& sample : family.read()) {
            text += family.name;
            if (family.type == MetricType::kHistogram) {
                text += sample.labels;
            } else if (!sample.labels.empty()) {
                text += "{" + sample.labels + "}";
            }
            text += " " + Number(sample.value) + "\n";
        }
    }
    return text;
}

void LatencyHistogram::Observe(double seconds) {
    size_t bucket = 0;
    while (bucket < kBounds.size() && seconds > kBounds[bucket]) {
        ++bucket;
    }
    counts[bucket].fetch_add(1, std::memory_order_relaxed);
    sumMicroseconds.fetch_add(static_cast<uint64_t>(std::llround(std::max(seconds, 0.0) * 1e6)),
                              std::memory_order_relaxed);
}

std::vector<MetricSample> LatencyHistogram::Samples() const {
    std::vector<MetricSample> samples;
    uint64_t cumulative = 0;
    for (size_t i = 0; i <= kBounds.size(); ++i) {
        cumulative += counts[i].load(std::memory_order_relaxed);
        std::string bound = i < kBounds.size() ? Number(kBounds[i]) : "+Inf";
        samples.push_back({"_bucket{le=\"" + bound + "\"}", static_cast<double>(cumulative)});
    }
    samples.push_back({"_sum", static_cast<double>(sumMicroseconds.load(std::memory_order_relaxed)) / 1e6});
    samples.push_back({"_count", static_cast<double>(cumulative)});
    return samples;
}
