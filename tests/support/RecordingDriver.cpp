#include "RecordingDriver.h"

#include "tests/support/Hex.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace tembrel::testing {

namespace {

std::string Hex(const uint8_t* bytes, size_t n) { return HexBytes(bytes, n); }

template <typename T>
constexpr bool kIsRecord = std::is_class_v<T>;

// Formats argument I of the tuple; byte inputs take their length from the next argument when
// that is a number, else from the operation (a 20-byte certificate hash).
template <size_t I, typename Tuple>
std::string FormatArg(const Tuple& t) {
    using T = std::tuple_element_t<I, Tuple>;
    const T& v = std::get<I>(t);
    if constexpr (std::is_same_v<T, ZARN9100_HANDLE>) {
        return v ? "h" : "null";
    } else if constexpr (std::is_same_v<T, ZARN9100_HANDLE*>) {
        return "&h";
    } else if constexpr (std::is_same_v<T, const ZARN9100_EVENT_SINK*>) {
        return v ? "sink" : "null";
    } else if constexpr (std::is_same_v<T, const char*>) {
        return v ? "\"" + std::string(v) + "\"" : "null";
    } else if constexpr (std::is_same_v<T, const uint8_t*>) {
        size_t n = 20;
        if constexpr (I + 1 < std::tuple_size_v<Tuple>) {
            if constexpr (std::is_same_v<std::tuple_element_t<I + 1, Tuple>, uint32_t>)
                n = std::min<size_t>(std::get<I + 1>(t), 64);
        }
        return Hex(v, n);
    } else if constexpr (std::is_pointer_v<T> && std::is_const_v<std::remove_pointer_t<T>> &&
                         kIsRecord<std::remove_cv_t<std::remove_pointer_t<T>>>) {
        return Hex(reinterpret_cast<const uint8_t*>(v), sizeof(*v));
    } else if constexpr (std::is_pointer_v<T>) {
        return "out";
    } else {
        return std::to_string(v);
    }
}

// Copies scripted bytes into out-parameter I, bounded by its capacity.
template <size_t I, typename Tuple>
void FillOut(const Tuple& t, const std::vector<uint8_t>& bytes) {
    using T = std::tuple_element_t<I, Tuple>;
    T v = std::get<I>(t);
    if constexpr (std::is_pointer_v<T> && !std::is_const_v<std::remove_pointer_t<T>> &&
                  !std::is_same_v<T, ZARN9100_HANDLE*> && !std::is_same_v<T, ZARN9100_HANDLE>) {
        if (!v || bytes.empty()) return;
        using Pointee = std::remove_pointer_t<T>;
        size_t cap = sizeof(Pointee);
        bool text = std::is_same_v<Pointee, char>;
        if constexpr (std::is_same_v<Pointee, char> || std::is_same_v<Pointee, uint8_t>) {
            cap = 6;  // QueryBssid: six bytes, no capacity argument
            if constexpr (I + 1 < std::tuple_size_v<Tuple>) {
                if constexpr (std::is_same_v<std::tuple_element_t<I + 1, Tuple>, uint32_t>)
                    cap = std::get<I + 1>(t);
            }
        }
        if (text) {
            if (cap == 0) return;
            const size_t n = std::min(bytes.size(), cap - 1);
            std::memcpy(v, bytes.data(), n);
            reinterpret_cast<char*>(v)[n] = '\0';
        } else {
            std::memcpy(v, bytes.data(), std::min(bytes.size(), cap));
        }
    }
}

}  // namespace

std::string RecordedCall::text() const {
    std::string s = name + "(";
    for (size_t i = 0; i < args.size(); ++i) s += (i ? ", " : "") + args[i];
    return s + ")";
}

RecordingDriver::RecordingDriver() : handle_(&handleTag_) {}

void RecordingDriver::setResult(const std::string& op, int value) {
    std::lock_guard lock(mutex_);
    results_[op] = value;
}
void RecordingDriver::pushResult(const std::string& op, int value) {
    std::lock_guard lock(mutex_);
    queued_[op].push_back(value);
}
void RecordingDriver::setOutBytes(const std::string& op, std::vector<uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    out_[op] = std::move(bytes);
}
void RecordingDriver::setOutU32(const std::string& op, uint32_t value) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &value, 4);
    setOutBytes(op, std::move(b));
}
void RecordingDriver::setOutI32(const std::string& op, int32_t value) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &value, 4);
    setOutBytes(op, std::move(b));
}
void RecordingDriver::setOutText(const std::string& op, const std::string& text) {
    setOutBytes(op, std::vector<uint8_t>(text.begin(), text.end()));
}
void RecordingDriver::setHook(const std::string& op, std::function<void(const RecordedCall&)> hook) {
    std::lock_guard lock(mutex_);
    hooks_[op] = std::move(hook);
}
void RecordingDriver::setObserver(std::function<void(const RecordedCall&)> observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}
void RecordingDriver::setAdapterHandle(ZARN9100_HANDLE handle) {
    std::lock_guard lock(mutex_);
    handle_ = handle;
}
ZARN9100_HANDLE RecordingDriver::adapterHandle() const {
    std::lock_guard lock(mutex_);
    return handle_;
}

std::vector<RecordedCall> RecordingDriver::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}
std::vector<std::string> RecordingDriver::callTexts() const {
    std::vector<std::string> out;
    for (const auto& c : calls()) out.push_back(c.text());
    return out;
}
std::vector<std::string> RecordingDriver::callNames() const {
    std::vector<std::string> out;
    for (const auto& c : calls()) out.push_back(c.name);
    return out;
}
size_t RecordingDriver::count(const std::string& op) const {
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(
        std::count_if(calls_.begin(), calls_.end(), [&](const RecordedCall& c) { return c.name == op; }));
}
void RecordingDriver::clearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}
const ZARN9100_EVENT_SINK* RecordingDriver::lastSink() const {
    std::lock_guard lock(mutex_);
    return sinkSet_ ? &sink_ : nullptr;
}
void RecordingDriver::emitEvent(uintptr_t code, intptr_t param) {
    ZARN9100_EVENT_SINK sink;
    {
        std::lock_guard lock(mutex_);
        if (!sinkSet_ || !sink_.notify) return;
        sink = sink_;
    }
    sink.notify(sink.context, ZARN9100_EVENT_MESSAGE, code, param);
}

int RecordingDriver::answer(const std::string& op) {
    auto q = queued_.find(op);
    if (q != queued_.end() && !q->second.empty()) {
        const int v = q->second.front();
        q->second.pop_front();
        return v;
    }
    auto r = results_.find(op);
    return r == results_.end() ? 0 : r->second;
}

template <typename Ret, typename... Args>
Ret RecordingDriver::call(const char* op, std::tuple<Args...> tuple) {
    RecordedCall rec;
    rec.name = op;
    [&]<size_t... I>(std::index_sequence<I...>) {
        (rec.args.push_back(FormatArg<I>(tuple)), ...);
    }(std::index_sequence_for<Args...>{});

    std::function<void(const RecordedCall&)> hook;
    std::function<void(const RecordedCall&)> observer;
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(rec);
        if (auto h = hooks_.find(op); h != hooks_.end()) hook = h->second;
        observer = observer_;
    }
    if (observer) observer(rec);
    if (hook) hook(rec);

    std::lock_guard lock(mutex_);
    const std::string name(op);
    // The operations with effects of their own: the handle and the event sink.
    std::apply(
        [&](auto... a) {
            auto special = [&](auto v) {
                using T = decltype(v);
                if constexpr (std::is_same_v<T, ZARN9100_HANDLE*>) {
                    if (v) *v = name == "OpenAdapter" ? handle_ : nullptr;
                } else if constexpr (std::is_same_v<T, const ZARN9100_EVENT_SINK*>) {
                    sinkSet_ = v != nullptr;
                    if (v) sink_ = *v;
                }
            };
            (special(a), ...);
            (void)special;
        },
        tuple);
    if (auto o = out_.find(name); o != out_.end()) {
        [&]<size_t... I>(std::index_sequence<I...>) {
            (FillOut<I>(tuple, o->second), ...);
        }(std::index_sequence_for<Args...>{});
    }
    if constexpr (!std::is_void_v<Ret>) return answer(name);
}

#define TEMBREL_OP(ret, name, params, args) \
    ret RecordingDriver::name params { return call<ret>(#name, std::make_tuple args); }
#include "adapter/DriverOperations.def"
#undef TEMBREL_OP

bool RecordingDriver::SetDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context) {
    std::lock_guard lock(mutex_);
    calls_.push_back({"SetDeviceNotify", {callback ? "callback" : "null"}});
    if (!deviceNotifySupported) return false;
    deviceNotifyCallback = callback;
    deviceNotifyContext = context;
    return true;
}

}  // namespace tembrel::testing
