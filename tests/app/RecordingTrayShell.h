#pragma once
// A tray shell that records every call with the record as it was passed, and answers with
// scripted results (success unless told otherwise).

#include "app/TrayShell.h"

#include <deque>
#include <vector>

namespace tembrel::testing {

struct TrayCall {
    TrayShell::Operation operation;
    unsigned iconId;
    unsigned flags;
    int iconResource;
    QString tooltip;
    QString balloonText;
    QString balloonTitle;
    int balloonTimeoutMs;
    unsigned callbackMessage;
    bool hasWindow;
};

class RecordingTrayShell : public TrayShell {
public:
    bool Notify(Operation operation, const TrayIconRecord& record) override
    {
        calls.push_back(TrayCall{operation, record.iconId, record.flags, record.iconResource,
                                 record.tooltip, record.balloonText, record.balloonTitle,
                                 record.balloonTimeoutMs, record.callbackMessage,
                                 static_cast<bool>(record.window)});
        if (results.empty())
            return true;
        const bool result = results.front();
        results.pop_front();
        return result;
    }

    std::vector<TrayCall> calls;
    std::deque<bool> results;  // answers of the next calls, in order
};

}  // namespace tembrel::testing
