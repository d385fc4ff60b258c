/* A driver library that offers only the first operations: the loader must refuse it. */
#include <Tembrel.h>

int Zarn9100OpenAdapter(ZARN9100_HANDLE* handle) {
    static int card;
    *handle = &card;
    return 0;
}

int Zarn9100CloseAdapter(ZARN9100_HANDLE* handle) {
    *handle = 0;
    return 0;
}
