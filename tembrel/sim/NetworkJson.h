#pragma once
// One network object of the environment file; shared with the control command that adds one.

#include "Network.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace tembrel::sim {

std::optional<Network> ParseNetworkObject(const nlohmann::json& obj, std::string& error);

}  // namespace tembrel::sim
