#pragma once
// Gallery entries for the 802.1x credential dialogs, the certificate list and the viewer. Until
// the security page opens them from its button, the gallery opens them itself on the window's
// certificate store, into which it puts two certificates it makes (certificates/gallery.pem in
// the window's data folder).

#include "DialogCatalog.h"

#include <vector>

namespace tembrel::gallery {

std::vector<DialogEntry> CredentialDialogEntries();

}  // namespace tembrel::gallery
