#pragma once
// The page shown in monitor mode: why the utility cannot fully support the card while the
// system's wireless configuration controls it, and how to turn that off (ReadmeTexts words it for
// the loaded library).

#include "pages/CZarn9100Page.h"

#include <vector>

class QLabel;

namespace tembrel {

class CReadmePage : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Readme";
    static constexpr int kDialogId = 111;
    explicit CReadmePage(PageContext& context, QWidget* parent = nullptr);
    // The card may have been opened since the page was made: its interface is read again.
    void OnSetActive() override;

private:
    // The parts of the window this page uses.
    CardRole& card_;
    void reword();

    std::vector<QLabel*> labels_;
};

}  // namespace tembrel
