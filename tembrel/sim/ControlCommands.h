#pragma once
// The control commands that drive a running simulation (tembrelctl and TembrelSimControl).
// A command travels as a JSON array of words: ["signal", "Home-WPA", "-80"].

#include "Card.h"

#include <string>
#include <vector>

namespace tembrel::sim {

// False with a reason when the text is not a JSON array of 1 to 64 strings.
bool ParseCommandWords(const std::string& json, std::vector<std::string>& words, std::string& error);
bool ParseMilliseconds(const std::string& text, uint64_t& ms);
// Runs one command on the card (the caller holds the state lock). True with the reply text,
// or false with an error message.
bool RunControlCommand(Card& card, const std::vector<std::string>& words, std::string& reply);
std::string ControlHelp();

}  // namespace tembrel::sim
