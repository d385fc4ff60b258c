#pragma once
// The profile wizard as the Site Survey page uses it: captioned "Configure Network", on one
// record that it edits in place. True when the user finished it with OK.

#include "pages/PageContext.h"
#include "profiles/ProfileRecord.h"

class QWidget;

namespace tembrel::survey {

bool ConfigureNetwork(PageContext& context, PROFILE_RECORD& record, QWidget* parent);

}  // namespace tembrel::survey
