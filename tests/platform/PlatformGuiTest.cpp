#include "platform/gui/DialogService.h"
#include "platform/gui/HotKey.h"
#include "platform/gui/QtDialogService.h"
#include "tests/support/ScriptedDialogService.h"


#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <fstream>
#include <functional>
#include <vector>

namespace tembrel {
namespace {

QApplication& App() {
    // Qt's file dialog keeps its view state in the user's settings: a folder of the tests' own,
    // so that what one run left cannot decide the next.
    static QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    static int argc = 1;
    static char name[] = "platform_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Acts on the modal windows as they appear, one step per window. Each step queues its action,
// so that a window opened by the action runs its own loop outside this timer's slot.
class ModalDriver {
public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalDriver(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal == last_ || next_ >= steps_.size()) return;
            last_ = modal;
            steps_[next_++](modal);
        });
        timer_.start(5);
    }
    bool done() const { return next_ == steps_.size(); }

private:
    std::vector<Step> steps_;
    size_t next_ = 0;
    QWidget* last_ = nullptr;
    QTimer timer_;
};

ModalDriver::Step Expect(std::function<void(QWidget*)> check, std::function<void(QWidget*)> act) {
    return [check, act](QWidget* w) {
        check(w);
        QTimer::singleShot(0, w, [w, act] { act(w); });
    };
}

// As the user types into the name field (selectFile() leaves a focused field alone).
void TypeFileName(QFileDialog* dialog, const QString& path) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(path);
}

void Click(QWidget* w, QMessageBox::StandardButton which) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    box->button(which)->click();
}

TEST(QtNameFilterTest, ConvertsWindowsFilters) {
    struct Row {
        const char* in;
        const char* out;
    } rows[] = {
        {"cfg Files (*.cfg)|*.cfg||", "cfg Files (*.cfg)"},
        {"Config|*.cfg;*.ini|All|*.*||", "Config (*.cfg *.ini);;All (*.*)"},
        {"Qt Files (*.x)", "Qt Files (*.x)"},
        {"", ""},
        {"Odd|", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(QtNameFilter(QString::fromLatin1(row.in)), QString::fromLatin1(row.out)) << row.in;
}

TEST(HotKeyTest, CannotRegisterWithoutX11) {
    App();
    X11HotKey hotKey;
    EXPECT_FALSE(hotKey.registerKey());
    hotKey.unregisterKey();
}

TEST(HotKeyTest, FakeReportsPressesOnlyWhileRegistered) {
    FakeHotKey hotKey;
    int presses = 0;
    QObject::connect(&hotKey, &HotKey::activated, [&] { ++presses; });
    hotKey.press();
    EXPECT_TRUE(hotKey.registerKey());
    hotKey.press();
    hotKey.unregisterKey();
    hotKey.press();
    EXPECT_EQ(presses, 1);
    FakeHotKey taken(false);
    EXPECT_FALSE(taken.registerKey());
}

TEST(QtDialogServiceTest, MessageBoxIsPlainWithExclamationAndTitle) {
    App();
    QtDialogService service(QStringLiteral("Orvix LX-7700 Utility"));
    ModalDriver driver({Expect(
        [](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), QStringLiteral("Cannot create hotkey for Radio On/Off!!"));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Orvix LX-7700 Utility"));
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        },
        [](QWidget* w) { Click(w, QMessageBox::Ok); })});
    service.showMessage(nullptr, QStringLiteral("Cannot create hotkey for Radio On/Off!!"));
    EXPECT_TRUE(driver.done());
}

TEST(QtDialogServiceTest, YesNoAnswersAndOwnTitle) {
    App();
    QtDialogService service(QStringLiteral("Program"));
    for (const bool yes : {true, false}) {
        ModalDriver driver({Expect(
            [](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->windowTitle(), QStringLiteral("Auto Link"));
                EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Yes));
            },
            [yes](QWidget* w) { Click(w, yes ? QMessageBox::Yes : QMessageBox::No); })});
        EXPECT_EQ(service.askYesNo(nullptr, QStringLiteral("Continue?"), MessageIcon::Question,
                                   QStringLiteral("Auto Link")),
                  yes);
        EXPECT_TRUE(driver.done());
    }
}

TEST(QtDialogServiceTest, OpenDialogWantsAnExistingFileOfTheFilter) {
    App();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("profiles.cfg"));
    std::ofstream(file.toStdString()) << "x";
    QtDialogService service(QStringLiteral("Program"));
    ModalDriver driver({Expect(
        [&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
            EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("cfg Files (*.cfg)")});
            EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("cfg"));
        },
        [&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            TypeFileName(dialog, file);
            static_cast<QDialog*>(dialog)->accept();
        })});
    const QString chosen = service.openFile(
        nullptr, {QString(), dir.path(), QString(), QStringLiteral("cfg Files (*.cfg)|*.cfg||"), QStringLiteral("cfg")});
    EXPECT_EQ(chosen, file);
    EXPECT_TRUE(driver.done());
}

// A long file name is shown whole in the detail view: its column is widened once the folder is
// read, and stays one the user can resize.
TEST(QtDialogServiceTest, FileDialogColumnsFitTheNames) {
    App();
    QTemporaryDir dir;
    const QString name = QString(QStringLiteral("Profiles of the office laptop, exported before the move ")).repeated(2) +
                         QStringLiteral(".cfg");
    std::ofstream(dir.filePath(name).toStdString()) << "x";
    QtDialogService service(QStringLiteral("Program"));
    ModalDriver driver({Expect(
        [&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            dialog->setViewMode(QFileDialog::Detail);
            auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            ASSERT_NE(view, nullptr);
            EXPECT_EQ(view->header()->sectionResizeMode(0), QHeaderView::Interactive);
            const QAbstractItemView& contents = *view;
            QElapsedTimer waited;
            waited.start();
            const auto fits = [&] {
                return view->model()->rowCount(view->rootIndex()) > 0 &&
                       view->columnWidth(0) >= contents.sizeHintForColumn(0);
            };
            while (!fits() && waited.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
            EXPECT_TRUE(fits()) << "name column " << view->columnWidth(0) << " px, the name needs "
                                << contents.sizeHintForColumn(0);
        },
        [](QWidget* w) { static_cast<QDialog*>(w)->reject(); })});
    EXPECT_EQ(service.openFile(nullptr, {QString(), dir.path(), QString(), QString(), QString()}), QString());
    EXPECT_TRUE(driver.done());
}

TEST(QtDialogServiceTest, SaveDialogAsksAgainForAMissingFolderAndConfirmsOverwrite) {
    App();
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("out.cfg"));
    std::ofstream(existing.toStdString()) << "x";
    QtDialogService service(QStringLiteral("Program"));
    auto accept = [](const QString& path) {
        return [path](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            TypeFileName(dialog, path);
            static_cast<QDialog*>(dialog)->accept();
        };
    };
    auto isSaveDialog = [](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    };
    ModalDriver driver({
        Expect(isSaveDialog, accept(dir.filePath(QStringLiteral("missing/out.cfg")))),
        Expect([](QWidget* w) {
                   auto* box = qobject_cast<QMessageBox*>(w);
                   ASSERT_NE(box, nullptr);
                   EXPECT_TRUE(box->text().contains(QStringLiteral("does not exist")));
               },
               [](QWidget* w) { Click(w, QMessageBox::Ok); }),
        Expect(isSaveDialog, accept(existing)),
        Expect([](QWidget* w) { EXPECT_NE(qobject_cast<QMessageBox*>(w), nullptr); },  // overwrite?
               [](QWidget* w) { Click(w, QMessageBox::Yes); }),
    });
    const QString chosen = service.saveFile(
        nullptr, {QString(), dir.path(), QString(), QStringLiteral("cfg Files (*.cfg)|*.cfg||"), QStringLiteral("cfg")});
    EXPECT_EQ(chosen, existing);
    EXPECT_TRUE(driver.done());
}

TEST(ScriptedDialogServiceTest, RecordsAndAnswersFromTheScript) {
    ScriptedDialogService dialogs;
    DialogService& service = dialogs;
    dialogs.answerYesNo(true);
    dialogs.answerFile(QStringLiteral("/tmp/a.cfg"));
    dialogs.answerFile(QString());

    service.showMessage(nullptr, QStringLiteral("Not Supported!"));
    EXPECT_TRUE(service.askYesNo(nullptr, QStringLiteral("first?")));
    EXPECT_FALSE(service.askYesNo(nullptr, QStringLiteral("second?")));
    EXPECT_EQ(service.openFile(nullptr, {QStringLiteral("Import"), {}, {}, {}, QStringLiteral("cfg")}),
              QStringLiteral("/tmp/a.cfg"));
    EXPECT_EQ(service.saveFile(nullptr, {}), QString());
    EXPECT_EQ(service.saveFile(nullptr, {}), QString());

    EXPECT_EQ(dialogs.texts(), (QStringList{QStringLiteral("Not Supported!"), QStringLiteral("first?"),
                                            QStringLiteral("second?")}));
    ASSERT_EQ(dialogs.shown().size(), 6u);
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(dialogs.shown()[1].icon, MessageIcon::Question);
    EXPECT_EQ(dialogs.shown()[3].kind, ScriptedDialogService::Kind::OpenFile);
    EXPECT_EQ(dialogs.shown()[3].file.defaultSuffix, QStringLiteral("cfg"));
    EXPECT_EQ(dialogs.unscripted(), 1);
    EXPECT_TRUE(dialogs.allAnswersUsed());
}

}  // namespace
}  // namespace tembrel
