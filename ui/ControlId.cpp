#include "ui/ControlId.h"

#include <QPushButton>

namespace tembrel::ui {

QPushButton* MakeButton(const char* text, QWidget* parent, int id) {
    return WithId(new QPushButton(QString::fromLatin1(text), parent), id);
}

}  // namespace tembrel::ui
