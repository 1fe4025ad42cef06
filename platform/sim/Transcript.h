#pragma once
// What a simulated run showed and did, in order: windows, step texts,
// message boxes, processes, sleeps, restart and exit (kvtsim's "transcript").
#include <vector>

#include <nlohmann/json.hpp>

namespace kvt::sim {

class Transcript {
public:
    void add(nlohmann::json event) { events_.push_back(std::move(event)); }
    const std::vector<nlohmann::json>& events() const { return events_; }
    nlohmann::json toJson() const { return nlohmann::json(events_); }

private:
    std::vector<nlohmann::json> events_;
};

}  // namespace kvt::sim
