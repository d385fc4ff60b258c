#pragma once
// Keeps the profiles' secrets out of core files. The profile list holds every PSK passphrase,
// 802.1x password and WEP key unscrambled, for all profiles, not only the one in use, and the
// real-card libraries keep the settings they hand to the supplicant; a crash with core files
// enabled would write them all in clear to a file that outlives the program (and that crash
// reporters may send elsewhere).
//
// The process is made non-dumpable (PR_SET_DUMPABLE 0) rather than marking the memory that holds
// secrets (MADV_DONTDUMP): secrets pass through many buffers (records shared between the list and
// the pages, text fields, the libraries' own copies), and missing one would still leak it. The
// cost: no core file at all, and a debugger of the same user can no longer attach to a running
// copy; start the program under the debugger instead (a tracer present from the start keeps
// working), or read the crash from standard error.

#include <string>

namespace tembrel {

// True when core files can no longer be made; `error` says why not.
bool KeepSecretsOutOfCoreDumps(std::string& error);

}  // namespace tembrel
