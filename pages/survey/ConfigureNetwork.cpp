#include "pages/survey/ConfigureNetwork.h"

#include "pages/profiles/CProfileWizard.h"

namespace tembrel::survey {

bool ConfigureNetwork(PageContext& context, const ProfilePtr& record, QWidget* parent) {
    return CProfileWizard::ConfigureProfile(context, parent, record);
}

}  // namespace tembrel::survey
