#pragma once
// The page shown in monitor mode: why the utility cannot fully support the card while the
// system's wireless configuration controls it, and how to turn that off.

#include "pages/CZarn9100Page.h"

#include <QStringList>

namespace tembrel {

class CReadmePage : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr int kDialogId = 111;
    explicit CReadmePage(PageContext& context, QWidget* parent = nullptr);
    static QStringList Texts();
};

}  // namespace tembrel
