#pragma once
// Every dialog of the program that the gallery shows. To add one, add an entry to
// DialogCatalog() in DialogCatalog.cpp: usually ButtonOnPage(page's dialog id, button's control
// id), which clicks the button that opens the dialog, as the user would; the dialog is grabbed
// and cancelled. An entry whose page or button does not exist yet is listed as skipped.

#include <QString>

#include <functional>
#include <vector>

namespace tembrel {
class CZarn9100Sheet;
}

namespace tembrel::gallery {

// Opens the dialog (it may block in the dialog's own event loop).
using DialogOpener = std::function<void()>;
// Gets ready to open the dialog in the given window (e.g. selects its page) and returns what
// opens it, or an empty function with why not in `missing`.
using DialogPreparer = std::function<DialogOpener(CZarn9100Sheet& sheet, QString& missing)>;

struct DialogEntry {
    QString name;   // file name without ".png"
    QString title;  // what the picture shows
    DialogPreparer prepare;
};

std::vector<DialogEntry> DialogCatalog();

// The button with the control id (or, for a button without a documented id, the text) on the
// page with the dialog id.
DialogPreparer ButtonOnPage(int pageDialogId, int controlId, const QString& text = {});

}  // namespace tembrel::gallery
