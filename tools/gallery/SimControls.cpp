#include "SimControls.h"

#include <dlfcn.h>

namespace tembrel::gallery {

SimControls::SimControls(const std::string& libraryPath) {
    // RTLD_NOLOAD: only a library the program has loaded already; this handle just adds a reference.
    handle_ = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle_) return;
    flush_ = reinterpret_cast<int (*)(uint32_t)>(dlsym(handle_, "TembrelSimFlushEvents"));
    reset_ = reinterpret_cast<void (*)()>(dlsym(handle_, "TembrelSimReset"));
    control_ = reinterpret_cast<int (*)(const char*, char*, uint32_t)>(dlsym(handle_, "TembrelSimControl"));
}

SimControls::~SimControls() {
    if (handle_) dlclose(handle_);
}

bool SimControls::flushEvents(uint32_t timeoutMs) const { return flush_ && flush_(timeoutMs) == 0; }

bool SimControls::reset() const {
    if (!reset_) return false;
    reset_();
    return true;
}

bool SimControls::control(const std::string& json) const {
    char reply[512];
    return control_ && control_(json.c_str(), reply, sizeof reply) == 0;
}

}  // namespace tembrel::gallery
