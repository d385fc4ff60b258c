#include "pages/survey/ConfigureNetwork.h"

namespace tembrel::survey {

bool ConfigureNetwork(PageContext&, PROFILE_RECORD&, QWidget*) { return false; }

}  // namespace tembrel::survey
