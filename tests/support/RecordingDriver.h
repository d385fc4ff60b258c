#pragma once
// A DriverLibrary double that records every call with its arguments, in order, and answers
// with scripted return values and out-values. Thread-safe, so supervisor tests can use it.

#include "adapter/DriverLibrary.h"

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace tembrel::testing {

struct RecordedCall {
    std::string name;               // operation without the Zarn9100 prefix
    std::vector<std::string> args;  // formatted: handle "h"/"null", numbers decimal, texts quoted,
                                    // input bytes as hex, out-parameters "out"
    std::string text() const;       // "SetChannel(h, 6)"
};

class RecordingDriver : public DriverLibrary {
public:
    RecordingDriver();

    // ---- scripting ----
    void setResult(const std::string& op, int value);   // answer of every later call
    void pushResult(const std::string& op, int value);  // answer of the next call only (queued)
    // Out-value bytes copied into the call's out-parameter (bounded by its capacity).
    void setOutBytes(const std::string& op, std::vector<uint8_t> bytes);
    void setOutU32(const std::string& op, uint32_t value);
    void setOutI32(const std::string& op, int32_t value);
    void setOutText(const std::string& op, const std::string& text);  // NUL-terminated within cap
    template <typename Record>
    void setOutRecord(const std::string& op, const Record& record) {
        std::vector<uint8_t> bytes(sizeof(Record));
        std::memcpy(bytes.data(), &record, sizeof(Record));
        setOutBytes(op, std::move(bytes));
    }
    // Runs inside the call (after recording, before the answer); may change the script.
    void setHook(const std::string& op, std::function<void(const RecordedCall&)> hook);
    // Sees every call as it is recorded (e.g. to interleave driver calls with other events in one log).
    void setObserver(std::function<void(const RecordedCall&)> observer);
    // Handle that OpenAdapter hands out; nullptr = no card.
    void setAdapterHandle(ZARN9100_HANDLE handle);
    ZARN9100_HANDLE adapterHandle() const;

    // ---- inspection ----
    std::vector<RecordedCall> calls() const;
    std::vector<std::string> callTexts() const;  // RecordedCall::text() of each call
    std::vector<std::string> callNames() const;
    size_t count(const std::string& op) const;
    void clearCalls();
    const ZARN9100_EVENT_SINK* lastSink() const;  // the sink of the last Initialize, or null
    // Delivers an event through the registered sink, as the library's own thread would.
    void emitEvent(uintptr_t code, intptr_t param = 0);

    // ---- DriverLibrary ----
#define TEMBREL_OP(ret, name, params, args) ret name params override;
#include "adapter/DriverOperations.def"
#undef TEMBREL_OP
    bool SetDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context) override;
    bool deviceNotifySupported = true;
    TEMBREL_DEVICE_NOTIFY deviceNotifyCallback = nullptr;
    void* deviceNotifyContext = nullptr;

private:
    template <typename Ret, typename... Args>
    Ret call(const char* op, std::tuple<Args...> args);
    int answer(const std::string& op);
    std::vector<uint8_t> outFor(const std::string& op) const;

    mutable std::mutex mutex_;
    std::vector<RecordedCall> calls_;
    std::map<std::string, int> results_;
    std::map<std::string, std::deque<int>> queued_;
    std::map<std::string, std::vector<uint8_t>> out_;
    std::map<std::string, std::function<void(const RecordedCall&)>> hooks_;
    std::function<void(const RecordedCall&)> observer_;
    ZARN9100_HANDLE handle_;
    bool sinkSet_ = false;
    ZARN9100_EVENT_SINK sink_{};
    int handleTag_ = 0;  // its address is the default handle
};

}  // namespace tembrel::testing
