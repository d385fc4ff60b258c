// Writes DIR/hicolor/<N>x<N>/{apps,status}/<name>.png for every icon and size in the table.

#include "app/TrayIconArt.h"
#include "platform/Autostart.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

namespace {

struct IconFile {
    int resourceId;
    const char* context;  // the hicolor context folder
    QString name;
};

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: icon_writer OUTPUT_DIR\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const IconFile icons[] = {
        {tembrel::kIconConnected, "apps",
         QString::fromLatin1(tembrel::kApplicationId.data(), tembrel::kApplicationId.size())},
        {tembrel::kIconConnected, "status", "tembrel-connected"},
        {tembrel::kIconNotConnected, "status", "tembrel-not-connected"},
        {tembrel::kIconCardUnplugged, "status", "tembrel-card-unplugged"},
    };
    // QImage and QPainter draw without an application object or a display: this runs on any
    // build machine.
    for (const IconFile& icon : icons) {
        for (int size : kSizes) {
            const QString folder = QString("%1/hicolor/%2x%2/%3").arg(output).arg(size).arg(icon.context);
            const QString file = folder + "/" + icon.name + ".png";
            const QImage image = tembrel::DrawTrayIcon(icon.resourceId, size);
            if (image.isNull() || !QDir().mkpath(folder) || !image.save(file, "PNG")) {
                std::fprintf(stderr, "icon_writer: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
