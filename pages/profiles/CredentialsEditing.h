#pragma once
// Opens the 802.1x credential dialog of the credentials' protocol (LEAP, EAP/TLS, PEAP or
// EAP/TTLS) modally on `values`. True when the user confirmed and the dialog stored its values.

#include "pages/PageContext.h"
#include "pages/profiles/logic/Credentials.h"

class QWidget;

namespace tembrel {

bool EditCredentials(Credentials& values, PageContext& context, QWidget* parent);

}  // namespace tembrel
