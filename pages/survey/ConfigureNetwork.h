#pragma once
// The profile wizard as the Site Survey page uses it: captioned "Configure Network", on one
// record that it edits in place (under the list's lock when the record is in the profile list).
// True when the user finished it with OK.

#include "pages/PageContext.h"
#include "profiles/ProfileList.h"

class QWidget;

namespace tembrel::survey {

bool ConfigureNetwork(PageContext& context, const ProfilePtr& record, QWidget* parent);

}  // namespace tembrel::survey
