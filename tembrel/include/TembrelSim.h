/* Controls of the simulated card that no real card has. Present only in the simulated
 * libTembrel.so; programs that must also run against another library look them up with
 * dlsym. The same controls are reachable from outside through tembrelctl. */
#ifndef TEMBREL_SIM_H
#define TEMBREL_SIM_H

#include <Tembrel.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Moves simulation time forward by ms and runs whatever falls due (scans finishing, signal
 * drift, counters, link loss, Auto Link steps). With TEMBREL_SIM_CLOCK=manual this is the only
 * way time passes; events it causes are delivered afterwards from the library's thread. */
TEMBREL_API void TembrelSimAdvance(uint32_t ms);

/* Waits until every event posted so far has been delivered. 0 = done, 1 = time-out or called
 * from inside an event receiver. */
TEMBREL_API int TembrelSimFlushEvents(uint32_t timeoutMs);

/* Rebuilds the card from $TEMBREL_SIM_ENVIRONMENT (or the built-in environment): card
 * present, default settings, fresh counters; open handles become stale. The event receivers
 * stay registered. */
TEMBREL_API void TembrelSimReset(void);

/* Runs one control command, given as a JSON array of words such as ["signal","Home-WPA","-80"]
 * (the commands of tembrelctl). The reply text, NUL-terminated, goes to reply (cap bytes).
 * 0 = done, 1 = the command failed (reply says why), 2 = reply did not fit. */
TEMBREL_API int TembrelSimControl(const char* commandJson, char* reply, uint32_t cap);

#ifdef __cplusplus
}
#endif

#endif /* TEMBREL_SIM_H */
