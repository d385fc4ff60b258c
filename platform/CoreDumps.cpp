#include "platform/CoreDumps.h"

#include <sys/prctl.h>

#include <cerrno>
#include <system_error>

namespace tembrel {

bool KeepSecretsOutOfCoreDumps(std::string& error) {
    if (::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0) return true;
    error = std::error_code(errno, std::generic_category()).message();
    return false;
}

}  // namespace tembrel
