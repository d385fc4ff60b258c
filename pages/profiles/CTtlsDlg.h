#pragma once
// "EAP/TTLS Radius Configuration": inner protocol EAP/MS-CHAP V2 (fixed), anonymous name
// ("Anonymous" when the profile has none), login name, password and domain of an EAP/TTLS
// profile (protocol 7, 12 or 17). Title prefix "WPA2 " for 12, else "WPA ".

#include "pages/profiles/CCredentialDlg.h"

namespace tembrel {

class CTtlsDlg : public CCredentialDlg {
    Q_OBJECT
public:
    // Message boxes through `dialogs` (the page's service).
    CTtlsDlg(Credentials& values, DialogService& dialogs, QWidget* parent = nullptr);
};

}  // namespace tembrel
