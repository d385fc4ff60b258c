// The pages at scale, on the main window over the recording driver (offscreen):
//   ProfileManagerOpen   Profile Manager shown with N profiles (its list filled from the store),
//   ProfileManagerMoveUp "Move Up" on a profile near the end of N profiles,
//   SiteSurveyRefresh    "&Refresh" with the scan list as full as the driver's buffer allows.
// Each iteration is one operation; the median over the repetitions is the figure to read (the
// machine is shared: the mean carries other programs' bursts).
#include "bench/gui/QtBenchmarkMain.h"
#include "pages/profiles/CProfileManager.h"
#include "pages/survey/CSiteSurvey.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "tests/app/SheetFixture.h"
#include "tests/support/ScanBufferBuilder.h"

#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace tembrel;

// The window of the page tests, made outside a test run.
class Window : public tembrel::testing::SheetTest {
public:
    Window() { driver.setOutU32("QueryRadioControl", 1); }
    void TestBody() override {}
    using SheetTest::sheet;
    CZarn9100Sheet& open(const std::vector<uint8_t>& scanList = {}) {
        if (!scanList.empty()) driver.setOutBytes("QueryScanList", scanList);
        return openSheet();
    }
    template <typename Page>
    Page& page() {
        for (auto* p : sheet->pageTabs().pages())
            if (p->dialogId() == Page::kDialogId) return *static_cast<Page*>(p);
        std::abort();
    }
    template <typename W>
    W* byId(int id) const { return control<W>(id); }
};

ProfileSequence Profiles(int count) {
    ProfileSequence out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto p = NewEmptyProfile();
        const std::string name = "Profile " + std::to_string(i);
        SetProfileName(*p, name);
        SetProfileSsid(*p, name);
        p->networkType = 1;
        p->wirelessMode = 255;
        p->inPreferList = i % 2;
        out.push_back(p);
    }
    return out;
}

// One window per benchmark and size, kept across the repetitions (building 65,536 profiles again
// for each would dwarf the operation); all are closed before the application ends.
std::map<std::string, std::unique_ptr<Window>> windows;

Window& WindowWithProfiles(const std::string& key, int count) {
    auto& window = windows[key];
    if (!window) {
        window = std::make_unique<Window>();
        window->open().pageContext().profiles().Assign(Profiles(count));
    }
    return *window;
}

void ProfileManagerOpen(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Window& window = WindowWithProfiles("open " + std::to_string(count), count);
    CZarn9100Sheet& sheet = *window.sheet;
    auto& manager = window.page<CProfileManager>();
    CZarn9100Page* status = sheet.pageTabs().pages().front();  // Network Status
    for (auto _ : state) {
        state.PauseTiming();
        sheet.pageTabs().selectPage(status);
        state.ResumeTiming();
        sheet.pageTabs().selectPage(&manager);
    }
    state.counters["rows"] = window.byId<QListWidget>(CProfileManager::kIdList)->count();
}

void ProfileManagerMoveUp(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Window& window = WindowWithProfiles("move " + std::to_string(count), count);
    auto& manager = window.page<CProfileManager>();
    QListWidget* list = window.byId<QListWidget>(CProfileManager::kIdList);
    if (window.sheet->pageTabs().activePage() != &manager) {
        window.sheet->pageTabs().selectPage(&manager);
        list->setCurrentRow(count - 1);
    }
    for (auto _ : state) manager.OnMove(-1);
    state.counters["rows"] = list->count();
    state.counters["row"] = list->currentRow();
}

void SiteSurveyRefresh(benchmark::State& state) {
    const auto asked = static_cast<size_t>(state.range(0));
    auto& window = windows["survey " + std::to_string(asked)];
    if (!window) {
        // Networks are asked for; the driver's list holds what fits in its fixed buffer.
        const size_t fits = (ZARN9100_SCAN_BUFFER_SIZE - 4) / 128;  // an entry without elements: 128 bytes
        std::vector<tembrel::testing::TestScanEntry> networks(std::min(asked, fits));
        for (size_t i = 0; i < networks.size(); ++i) {
            networks[i].ssid = "Network " + std::to_string(i);
            networks[i].mac[4] = static_cast<uint8_t>(i >> 8);
            networks[i].mac[5] = static_cast<uint8_t>(i);
            networks[i].privacy = static_cast<uint32_t>(i % 2);
            networks[i].rssi = -40 - static_cast<int32_t>(i % 50);
            networks[i].dsConfigKHz = 2412000 + 5000 * static_cast<uint32_t>(i % 11);
        }
        window = std::make_unique<Window>();
        window->open(tembrel::testing::BuildScanBuffer(networks));
        window->sheet->pageTabs().selectPage(&window->page<CSiteSurvey>());
    }
    QPushButton* refresh = window->byId<QPushButton>(CSiteSurvey::kIdRefresh);
    for (auto _ : state) refresh->click();
    state.counters["rows"] = window->byId<QTableWidget>(CSiteSurvey::kIdList)->rowCount();
}

constexpr int kRepetitions = 9;
BENCHMARK(ProfileManagerOpen)->Arg(1024)->Arg(65536)->Iterations(1)->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ProfileManagerMoveUp)->Arg(1024)->Arg(65536)->Iterations(1)->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SiteSurveyRefresh)->Arg(500)->Iterations(1)->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return tembrel::bench::RunWidgetBenchmarks(argc, argv, [] { windows.clear(); }); }
