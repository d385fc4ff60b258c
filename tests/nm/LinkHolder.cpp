// A program that links through a driver library and then ends the hard way: it loads LIBRARY,
// opens the card, applies an open network named SSID, says "SetSsid <result>" on standard
// output and, once the file GO exists, dies by SIGKILL (no CloseAdapter, no exit handlers).
// Usage: tembrel_nm_link_holder LIBRARY SSID GO

#include <Tembrel.h>

#include <dlfcn.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s LIBRARY SSID GO\n", argv[0]);
        return 2;
    }
    void* library = ::dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "%s\n", ::dlerror());
        return 2;
    }
    auto open = reinterpret_cast<decltype(&Zarn9100OpenAdapter)>(::dlsym(library, "Zarn9100OpenAdapter"));
    auto setSsid = reinterpret_cast<decltype(&Zarn9100SetSsid)>(::dlsym(library, "Zarn9100SetSsid"));
    ZARN9100_HANDLE h = nullptr;
    if (open == nullptr || setSsid == nullptr || open(&h) != 0) {
        std::fprintf(stderr, "no card\n");
        return 3;
    }
    std::printf("SetSsid %d\n", setSsid(h, argv[2], uint32_t(std::strlen(argv[2])), 0));
    std::fflush(stdout);
    while (!std::filesystem::exists(argv[3])) ::usleep(10000);
    std::raise(SIGKILL);
    return 1;
}
