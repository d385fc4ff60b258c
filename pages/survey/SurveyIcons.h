#pragma once
// The Site Survey list's row icons (project art drawn in code), by RowIcon index.

#include <QPixmap>

namespace tembrel::survey {

QPixmap RowIconPixmap(int icon);

}  // namespace tembrel::survey
