#pragma once
// The connection history as the program sets it up: what the journal reads from the card on its
// own thread (the probe), and the journal itself as the [History] settings ask for it.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "connection/ConnectionSnapshot.h"
#include "history/HistoryRecorder.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace tembrel {

class Settings;

// Each reading takes a lease on the handle for its calls only; nothing without a card.
HistoryProbe MakeHistoryProbe(DriverLibrary& driver, const AdapterHandle& handle, const ConnectionSnapshotHolder& snapshot);

// Makes the journal in `folder` with the settings' limits, or nothing when the settings turn it off
// or no folder is known.
std::function<std::unique_ptr<HistorySink>(HistoryProbe)> HistoryFactory(const std::filesystem::path& folder,
                                                                          const Settings& settings);

}  // namespace tembrel
