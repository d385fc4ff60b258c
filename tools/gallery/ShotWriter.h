#pragma once
// Writes the gallery's pictures into one folder and keeps the index of what was written:
// index.txt, one line per picture, "kind<TAB>file<TAB>title", and "skipped<TAB>-<TAB>why"
// for a picture that could not be taken; a fault seen in a window (two controls sharing a
// mnemonic) is a line of its own kind.

#include <QDir>
#include <QImage>
#include <QString>
#include <QStringList>

namespace tembrel::gallery {

class ShotWriter {
public:
    explicit ShotWriter(const QString& folder);

    // Creates the folder; false when it cannot be.
    bool prepare();
    // Saves image as <name>.png; false (and counted as a failure) for an empty image or a write error.
    bool save(const QString& kind, const QString& name, const QString& title, const QImage& image);
    void skip(const QString& name, const QString& reason);
    // A fault seen in a drawn window: "fault<TAB>-<TAB>name: what", also on standard error.
    void fault(const QString& kind, const QString& name, const QString& what);
    bool writeIndex() const;

    int saved() const { return saved_; }
    int failures() const { return failures_; }
    const QDir& folder() const { return folder_; }

    // "&Import Profiles" -> "import-profiles": lower case, runs of other characters as one '-'.
    static QString Slug(const QString& text);

private:
    QDir folder_;
    QStringList index_;
    int saved_ = 0;
    int failures_ = 0;
};

}  // namespace tembrel::gallery
