#pragma once
// "PEAP Radius Configuration": inner protocol EAP/MS-CHAP V2 (fixed), login name, password and
// domain of a PEAP profile (protocol 6, 11, 13 or 16). Title prefix "WPA2 " for 11, "CCX " for
// 13, else "WPA ".

#include "pages/profiles/CCredentialDlg.h"

namespace tembrel {

class CPeapDlg : public CCredentialDlg {
    Q_OBJECT
public:
    // Message boxes through `dialogs` (the page's service).
    CPeapDlg(Credentials& values, DialogService& dialogs, QWidget* parent = nullptr);
};

}  // namespace tembrel
