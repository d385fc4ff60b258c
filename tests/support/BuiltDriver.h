#pragma once
// A driver library as this build made it, from $TEMBREL_BIN_DIR (else the working folder).

#include "adapter/DriverLoader.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace tembrel::testing {

// Loads `file` into `library`; "" once loaded, else why not.
inline std::string LoadBuiltDriver(const std::string& file, std::unique_ptr<DriverLibrary>& library) {
    const char* bin = std::getenv("TEMBREL_BIN_DIR");
    DriverLoadResult loaded = LoadDriverLibrary(std::string(bin ? bin : ".") + "/" + file);
    if (!loaded.loaded) return file + " did not load: " + loaded.error;
    library = std::move(loaded.library);
    return {};
}

}  // namespace tembrel::testing
