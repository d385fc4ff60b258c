#pragma once
// "LEAP Radius Configuration": login name, password and domain of a LEAP profile (protocol 3, 8
// or 14). Title prefix "CCX " for protocol 8, else "WPA ".

#include "pages/profiles/CCredentialDlg.h"

namespace tembrel {

class CLeapDlg : public CCredentialDlg {
    Q_OBJECT
public:
    // Message boxes through `dialogs` (the page's service).
    CLeapDlg(Credentials& values, DialogService& dialogs, QWidget* parent = nullptr);
};

}  // namespace tembrel
