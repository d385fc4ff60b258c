#pragma once
// Finds and loads the driver library and binds every operation once.

#include "DriverLibrary.h"

#include <memory>
#include <string>

namespace tembrel {

struct DriverLoadResult {
    std::unique_ptr<DriverLibrary> library;  // never null: a no-card stand-in on failure
    bool loaded = false;
    std::string error;                       // one line naming what is missing, when !loaded
    std::string path;                        // the file opened, when loaded
};

// Where to look: the --driver option, else $TEMBREL_LIBRARY, else "lib<exe>.so" beside the
// executable when it exists, else the plain file name for the system's library search.
std::string ResolveDriverPath(const std::string& optionPath, const char* environmentPath,
                              const std::string& executablePath);

// dlopen()s the library and resolves every required symbol. A missing library or symbol
// gives the no-card stand-in and an error line.
DriverLoadResult LoadDriverLibrary(const std::string& path);

// A library stand-in with no card: OpenAdapter leaves the handle null, every other call fails.
std::unique_ptr<DriverLibrary> MakeNoCardDriverLibrary();

}  // namespace tembrel
