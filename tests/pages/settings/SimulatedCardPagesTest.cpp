// The About, Debug, Test and Region pages on the simulated card, end to end: what a page sets,
// the card keeps and the page reads back.
#include "pages/settings/CAboutPage.h"
#include "ui/ControlId.h"
#include "pages/settings/CDebugWin.h"
#include "pages/settings/CRegionCtrl.h"
#include "pages/settings/CTestPage.h"

#include "tests/support/FakePageContext.h"
#include "tests/support/SimulatedCardLibrary.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace tembrel::testing {
namespace {

class PagesOnSimulatedCard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SimulatedCardLibrary().loaded) << SimulatedCardLibrary().error;
        setenv("TEMBREL_SIM_HOST_INTERFACE", "none", 1);  // the card's own address, not the host's
        ASSERT_TRUE(ResetSimulatedCard());
        ASSERT_TRUE(folder.isValid());
        context = std::make_unique<FakePageContext>(*SimulatedCardLibrary().library, folder.path().toStdString());
        context->library_path = SimulatedCardPath();
        ASSERT_TRUE(context->openAdapter());
    }
    void TearDown() override {
        if (context) context->closeAdapter();
    }

    template <typename W>
    static W* control(QWidget& page, int id) {
        W* w = ui::ControlById<W>(page, id);
        if (!w) ADD_FAILURE() << "no control " << id;
        return w;
    }

    QTemporaryDir folder;
    std::unique_ptr<FakePageContext> context;
};

TEST_F(PagesOnSimulatedCard, AboutShowsTheCardAndTheLibraryFile) {
    CAboutPage page(*context);
    page.OnSetActive();
    EXPECT_EQ(control<QLineEdit>(page, CAboutPage::kIdFirmware)->text(), "1.4.2.17");
    EXPECT_EQ(control<QLineEdit>(page, CAboutPage::kIdDriver)->text(), "3.2.7.1 (9-14-2005)");
    EXPECT_EQ(control<QLineEdit>(page, CAboutPage::kIdMacAddress)->text(), "02 7E 3C 4C 01 01");
    EXPECT_TRUE(control<QLineEdit>(page, CAboutPage::kIdLibrary)->text().startsWith(QString(PROJECT_FILE_VERSION) + " ("));
}

TEST_F(PagesOnSimulatedCard, TestPageValuesPersistInTheCard) {
    {
        CTestPage page(*context);
        page.OnSetActive();
        EXPECT_EQ(control<QLineEdit>(page, CTestPage::kIdFrom)->text(), "1");
        EXPECT_EQ(control<QLineEdit>(page, CTestPage::kIdTo)->text(), "11");
        control<QLineEdit>(page, CTestPage::kIdSignal)->setText("77");
        control<QPushButton>(page, CTestPage::kIdSignalSet)->click();
        control<QLineEdit>(page, CTestPage::kIdFrom)->setText("2");
        control<QLineEdit>(page, CTestPage::kIdTo)->setText("9");
        control<QPushButton>(page, CTestPage::kIdRangeSet)->click();
    }
    CTestPage again(*context);
    again.OnSetActive();
    EXPECT_EQ(control<QLineEdit>(again, CTestPage::kIdSignal)->text(), "77");
    EXPECT_EQ(control<QLineEdit>(again, CTestPage::kIdFrom)->text(), "2");
    EXPECT_EQ(control<QLineEdit>(again, CTestPage::kIdTo)->text(), "9");
}

TEST_F(PagesOnSimulatedCard, DebugWritesAndReadsARegister) {
    CDebugWin page(*context);
    page.OnSetActive();
    control<QLineEdit>(page, CDebugWin::kIdMacIndex)->setText("0100");
    control<QLineEdit>(page, CDebugWin::kIdMacValue)->setText("FFFFFFFF");
    control<QPushButton>(page, CDebugWin::kIdMacWrite)->click();
    control<QLineEdit>(page, CDebugWin::kIdMacValue)->setText("");
    QTRY_COMPARE(control<QLineEdit>(page, CDebugWin::kIdMacValue)->text(), QString("FFFFFFFF"));
    page.OnKillActive();
}

TEST_F(PagesOnSimulatedCard, RegionStrictCountryIsWhatTheCardReports) {
    QFile file(folder.filePath("Region.cfg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("United States:US:30:0:1,11\nGermany:DE:20:0:1,13\n");
    file.close();
    CRegionCtrl page(*context);
    page.OnSetActive();
    auto* list = control<QComboBox>(page, CRegionCtrl::kIdCountry);
    EXPECT_TRUE(control<QRadioButton>(page, CRegionCtrl::kIdDisabled)->isChecked());
    control<QRadioButton>(page, CRegionCtrl::kIdStrict)->click();
    list->setCurrentIndex(1);  // as the user picks it
    emit list->activated(1);
    // The card's answer carries its own 802.11a channels, which the file's record has not.
    auto* information = control<QPlainTextEdit>(page, CRegionCtrl::kIdInformation);
    QTRY_VERIFY(information->toPlainText().contains("\tChannel 36\n"));
    EXPECT_TRUE(control<QRadioButton>(page, CRegionCtrl::kIdStrict)->isChecked());
    EXPECT_EQ(list->currentText(), "Germany");
    const QString text = information->toPlainText();
    EXPECT_TRUE(text.startsWith("Country Code/Region Code: DE \n\nMaximum Transmit Power: 20 dBm\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\tChannel 1 to Channel 13\n"));

    control<QRadioButton>(page, CRegionCtrl::kIdFlexible)->click();
    QTRY_VERIFY(!list->isEnabled());
    EXPECT_TRUE(control<QRadioButton>(page, CRegionCtrl::kIdFlexible)->isChecked());
}

}  // namespace
}  // namespace tembrel::testing
