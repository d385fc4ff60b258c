// The modal-window catcher (a dialog must never stop the gallery) and the picture writer.

#include "tools/gallery/ModalWatcher.h"
#include "tools/gallery/ShotWriter.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include <vector>

namespace tembrel::gallery {
namespace {

using namespace std::chrono_literals;

constexpr auto kBound = 20s;  // only guards against a hang

struct Unexpected {
    std::vector<QString> titles;
    int nonBlank = 0;
};

ModalWatcher::Unexpected Record(Unexpected& into) {
    return [&into](QWidget* window, const QImage& image) {
        into.titles.push_back(window->windowTitle());
        if (!image.isNull() && image.width() > 0) ++into.nonBlank;
    };
}

TEST(ModalWatcherTest, GrabsTheDialogTheActionOpensAndCancelsIt) {
    Unexpected unexpected;
    ModalWatcher watcher(0ms, Record(unexpected));
    int result = -1;
    const auto image = watcher.capture(
        [&] {
            QMessageBox box(QMessageBox::Warning, "Box", "Text", QMessageBox::Yes | QMessageBox::No);
            result = box.exec();
        },
        kBound);
    ASSERT_TRUE(image.has_value());
    EXPECT_FALSE(image->isNull());
    EXPECT_GT(image->width(), 20);
    EXPECT_NE(result, QMessageBox::Yes);  // never accepted on the user's behalf
    EXPECT_TRUE(unexpected.titles.empty());
}

TEST(ModalWatcherTest, NothingWhenTheActionOpensNoDialog) {
    Unexpected unexpected;
    ModalWatcher watcher(0ms, Record(unexpected));
    bool ran = false;
    EXPECT_FALSE(watcher.capture([&] { ran = true; }, 100ms).has_value());
    EXPECT_TRUE(ran);
}

TEST(ModalWatcherTest, AModalWindowNobodyAskedForIsDrawnReportedAndClosed) {
    Unexpected unexpected;
    ModalWatcher watcher(0ms, Record(unexpected));
    QMessageBox box(QMessageBox::Warning, "Surprise", "Unasked", QMessageBox::Ok);
    box.exec();  // returns only because the watcher closed it
    ASSERT_EQ(unexpected.titles.size(), 1u);
    EXPECT_EQ(unexpected.titles[0], "Surprise");
    EXPECT_EQ(unexpected.nonBlank, 1);
}

// A dialog that refuses to be cancelled is hidden, which ends its exec() too.
class StubbornDialog : public QDialog {
public:
    void done(int) override { ++refusals; }
    int refusals = 0;
};

TEST(ModalWatcherTest, ADialogThatRefusesCancelIsHidden) {
    Unexpected unexpected;
    ModalWatcher watcher(0ms, Record(unexpected));
    StubbornDialog dialog;
    dialog.resize(100, 60);
    const auto image = watcher.capture([&] { dialog.exec(); }, kBound);
    EXPECT_TRUE(image.has_value());
    EXPECT_GE(dialog.refusals, 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ShotWriterTest, SlugsAreLowerCaseWordsJoinedByDashes) {
    const std::pair<QString, QString> cases[] = {
        {"Network Status", "network-status"},
        {"&Import Profiles", "import-profiles"},
        {"E&xit", "exit"},
        {"802.1x / EAP-TLS", "802-1x-eap-tls"},
        {"  Trailing  ", "trailing"},
        {"&&", "untitled"},
        {"", "untitled"},
    };
    for (const auto& [text, slug] : cases) EXPECT_EQ(ShotWriter::Slug(text), slug) << text.toStdString();
}

TEST(ShotWriterTest, WritesPicturesAndAnIndexAndCountsWhatFailed) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    ShotWriter writer(temp.filePath("out"));
    ASSERT_TRUE(writer.prepare());

    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_TRUE(writer.save("page", "page-01-status", "Status", image));
    EXPECT_FALSE(writer.save("page", "page-02-empty", "Empty", QImage()));
    writer.skip("dialog-x", "not built yet");
    ASSERT_TRUE(writer.writeIndex());

    EXPECT_EQ(writer.saved(), 1);
    EXPECT_EQ(writer.failures(), 1);
    EXPECT_EQ(QImage(temp.filePath("out/page-01-status.png")).size(), QSize(30, 20));
    EXPECT_FALSE(QFile::exists(temp.filePath("out/page-02-empty.png")));
    QFile index(temp.filePath("out/index.txt"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(index.readAll()),
              "page\tpage-01-status.png\tStatus\nskipped\t-\tdialog-x: not built yet\n");
}

}  // namespace
}  // namespace tembrel::gallery

