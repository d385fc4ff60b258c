#pragma once
// Everything a page of the main window may read and do: the four roles of PageRoles.h. The main
// window implements it; pages see nothing else of the window, and tests implement it with their
// own doubles.

#include "pages/PageRoles.h"

namespace tembrel {

class PageContext : public CardRole, public ConnectionRole, public ProfilesRole, public EnvironmentRole {
public:
    virtual ~PageContext() = default;
};

}  // namespace tembrel
