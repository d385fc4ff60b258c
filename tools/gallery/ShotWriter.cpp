#include "ShotWriter.h"

#include <QSaveFile>

#include <cstdio>

namespace tembrel::gallery {

ShotWriter::ShotWriter(const QString& folder) : folder_(folder) {}

bool ShotWriter::prepare() { return folder_.mkpath("."); }

bool ShotWriter::save(const QString& kind, const QString& name, const QString& title, const QImage& image) {
    const QString file = name + ".png";
    if (image.isNull() || image.width() == 0 || image.height() == 0) {
        std::fprintf(stderr, "gallery: %s: nothing to draw\n", qPrintable(file));
        ++failures_;
        return false;
    }
    if (!image.save(folder_.filePath(file), "PNG")) {
        std::fprintf(stderr, "gallery: cannot write %s\n", qPrintable(folder_.filePath(file)));
        ++failures_;
        return false;
    }
    index_ << kind + '\t' + file + '\t' + title;
    ++saved_;
    return true;
}

void ShotWriter::skip(const QString& name, const QString& reason) {
    index_ << "skipped\t-\t" + name + ": " + reason;
    std::fprintf(stderr, "gallery: skipped %s: %s\n", qPrintable(name), qPrintable(reason));
}

void ShotWriter::fault(const QString& kind, const QString& name, const QString& what) {
    index_ << kind + "\t-\t" + name + ": " + what;
    std::fprintf(stderr, "gallery: %s in %s: %s\n", qPrintable(kind), qPrintable(name), qPrintable(what));
}

bool ShotWriter::writeIndex() const {
    QSaveFile file(folder_.filePath("index.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    file.write((index_.join('\n') + '\n').toUtf8());
    return file.commit();
}

QString ShotWriter::Slug(const QString& text) {
    QString slug;
    for (const QChar c : text.toLower()) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            slug += c;
        else if (c != '&' && !slug.isEmpty() && !slug.endsWith('-'))
            slug += '-';
    }
    while (slug.endsWith('-')) slug.chop(1);
    return slug.isEmpty() ? QStringLiteral("untitled") : slug;
}

}  // namespace tembrel::gallery
