#pragma once
// The notification-area icons, drawn at run time: a network card with radio waves.
// 130 connected (green waves), 132 not connected (grey waves, red cross),
// 146 card unplugged (an empty card outline, struck through).

#include <QIcon>
#include <QImage>

namespace tembrel {

constexpr int kIconConnected = 130;
constexpr int kIconNotConnected = 132;
constexpr int kIconCardUnplugged = 146;

// The icon resource with that id at the given size; a null image for an unknown id.
QImage DrawTrayIcon(int resourceId, int size);
// The icon in the usual tray sizes; a null icon for an unknown id. Needs a QGuiApplication.
QIcon TrayIcon(int resourceId);

}  // namespace tembrel
