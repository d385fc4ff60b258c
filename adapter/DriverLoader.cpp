#include "DriverLoader.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace tembrel {

namespace {

// The operation list must match the header exactly: a drifted signature is a compile error.
#define TEMBREL_OP(ret, name, params, args)                                              \
    static_assert(std::is_same_v<decltype(&::Zarn9100##name), ret(*) params>,             \
                  "operation list and Tembrel.h disagree on Zarn9100" #name);
#include "DriverOperations.def"
#undef TEMBREL_OP

struct DlCloser {
    void operator()(void* h) const {
        if (h) dlclose(h);
    }
};
using DlHandle = std::unique_ptr<void, DlCloser>;

class LoadedDriverLibrary final : public DriverLibrary {
public:
    explicit LoadedDriverLibrary(DlHandle handle) : handle_(std::move(handle)) {}

    // Binds every symbol; returns the name of the first one missing, or empty.
    std::string bind() {
#define TEMBREL_OP(ret, name, params, args)                                             \
    name##_ = reinterpret_cast<decltype(name##_)>(dlsym(handle_.get(), "Zarn9100" #name)); \
    if (!name##_) return "Zarn9100" #name;
#include "DriverOperations.def"
#undef TEMBREL_OP
        setDeviceNotify_ =
            reinterpret_cast<decltype(setDeviceNotify_)>(dlsym(handle_.get(), "TembrelSetDeviceNotify"));
        return {};
    }

#define TEMBREL_OP(ret, name, params, args) \
    ret name params override { return name##_ args; }
#include "DriverOperations.def"
#undef TEMBREL_OP

    bool SetDeviceNotify(TEMBREL_DEVICE_NOTIFY callback, void* context) override {
        if (!setDeviceNotify_) return false;
        return setDeviceNotify_(callback, context) == 0;
    }

private:
    DlHandle handle_;
#define TEMBREL_OP(ret, name, params, args) ret(*name##_) params = nullptr;
#include "DriverOperations.def"
#undef TEMBREL_OP
    int (*setDeviceNotify_)(TEMBREL_DEVICE_NOTIFY, void*) = nullptr;
};

// Result of every call into a library that is not there.
constexpr int kNoLibrary = -1;

void ClearHandle(ZARN9100_HANDLE* handle) {
    if (handle) *handle = nullptr;
}
template <typename T>
void ClearHandle(T) {}

// Every call fails; OpenAdapter leaves the handle null; the flag queries (connect status,
// DHCP, radar) answer "no" rather than a nonzero failure code that would read as "yes".
template <typename Ret, typename... Args>
Ret NoCardCall(std::string_view name, std::tuple<Args...> args) {
    std::apply([](auto... a) { (ClearHandle(a), ...); }, args);
    if constexpr (!std::is_void_v<Ret>) {
        if (name == "GetConnectStatus" || name == "QueryDhcp9x" || name == "RadarDetected") return 0;
        if (name == "QueryWZCStatusCheck") return 1;  // its documented failure value
        return kNoLibrary;
    }
}

class NoCardDriverLibrary final : public DriverLibrary {
public:
#define TEMBREL_OP(ret, name, params, args) \
    ret name params override { return NoCardCall<ret>(#name, std::make_tuple args); }
#include "DriverOperations.def"
#undef TEMBREL_OP
    bool SetDeviceNotify(TEMBREL_DEVICE_NOTIFY, void*) override { return false; }
};

}  // namespace

std::string ResolveDriverPath(const std::string& optionPath, const char* environmentPath,
                              const std::string& executablePath) {
    if (!optionPath.empty()) return optionPath;
    if (environmentPath && *environmentPath) return environmentPath;
    const std::filesystem::path exe(executablePath);
    const std::string fileName = "lib" + exe.filename().string() + ".so";
    if (!executablePath.empty()) {
        std::error_code ec;
        const auto beside = exe.parent_path() / fileName;
        if (std::filesystem::exists(beside, ec)) return beside.string();
    }
    return fileName;
}

DriverLoadResult LoadDriverLibrary(const std::string& path) {
    DriverLoadResult result;
    // Never unloaded: a library may still run threads of its own when the program lets go of it.
    DlHandle handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
    if (!handle) {
        const char* why = dlerror();
        result.library = MakeNoCardDriverLibrary();
        result.error = "cannot load the driver library " + path + ": " + (why ? why : "unknown error");
        return result;
    }
    // The file the loader actually opened: a plain name was found through the library search.
    struct link_map* map = nullptr;
    if (dlinfo(handle.get(), RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name) {
        std::error_code ec;
        const auto absolute = std::filesystem::absolute(map->l_name, ec);
        result.path = ec ? std::string(map->l_name) : absolute.lexically_normal().string();
    } else {
        result.path = path;
    }
    auto library = std::make_unique<LoadedDriverLibrary>(std::move(handle));
    if (std::string missing = library->bind(); !missing.empty()) {
        result.library = MakeNoCardDriverLibrary();
        result.error = "the driver library " + path + " lacks the operation " + missing;
        result.path.clear();
        return result;
    }
    result.library = std::move(library);
    result.loaded = true;
    return result;
}

std::unique_ptr<DriverLibrary> MakeNoCardDriverLibrary() { return std::make_unique<NoCardDriverLibrary>(); }

}  // namespace tembrel
