#pragma once
// Export of the profile list to a file and import of such a file.

#include "app/PendingPage.h"

namespace tembrel {

class CAdminTool : public PendingPage {
    Q_OBJECT
public:
    static constexpr int kDialogId = 107;
    explicit CAdminTool(CZarn9100Sheet& sheet, QWidget* parent = nullptr)
        : PendingPage(sheet, "Admin", kDialogId, parent) {}
};

}  // namespace tembrel
