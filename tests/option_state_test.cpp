#include "config/option_state.h"

#include <gtest/gtest.h>

#include <atomic>

#include "config/configuration_file.h"
#include "fake_spooler.h"
#include "launch/delivery_worker.h"
#include "platform/private_profile.h"
#include "shell/printer_selection.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

using test::Text;

constexpr std::string_view kStampText = "CHECKED BY KESTRUM";

// Whether the controls a page enables for a printer type are enabled: all of them (true), none
// (false); a page with some of each fails the test.
template <typename... Controls>
bool Uniform(const char* page, const Controls&... controls) {
    const std::vector<bool> enabled{controls.enabled...};
    const bool first = enabled.front();
    for (bool each : enabled) EXPECT_EQ(each, first) << page << " is half enabled";
    return first;
}

bool PenTableEnabled(const PenTablePanel& pens) {
    const auto& a = pens.attributes;
    return Uniform("pen table", pens.penSelector, a[0], a[1], a[2], a[3], a[4], a[5]);
}

// What the type-dependent controls of the five pages show.
struct Shown {
    bool stamp;
    bool jobCopies;
    bool fileCopies;
    bool tray;
    bool media;
    bool formatPageSizeScale;
    bool hpgl;
    bool calcomp;
    bool raster;

    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out) {
    *out << "stamp " << s.stamp << ", copies " << s.jobCopies << ", file copies " << s.fileCopies
         << ", tray " << s.tray << ", media " << s.media << ", format/size/scale "
         << s.formatPageSizeScale << ", hpgl " << s.hpgl << ", calcomp " << s.calcomp << ", raster "
         << s.raster;
}

Shown ShownBy(const OptionState& state) {
    const JobOptionsPage& job = state.job;
    const HpglPage& hpgl = state.hpgl;
    const CalCompPage& cc = state.calcomp;
    const RasterSettingsPage& raster = state.raster;
    return Shown{
        state.stamp.stamp.enabled,
        job.copies.enabled,
        job.fileCopies.enabled,
        job.tray.enabled,
        job.media.enabled,
        Uniform("format, page size and scale", job.formatSet, job.pageSizeSet, job.pageScaleSet),
        Uniform("hpgl", hpgl.plotterModel, hpgl.rotation, hpgl.pen0Handling,
                hpgl.terminatorHandling, hpgl.trailer) &&
            PenTableEnabled(hpgl.penTable),
        Uniform("calcomp", cc.plotUnit, cc.trailer, cc.pen0Switch, cc.auxSwitch, cc.step,
                cc.handshake, cc.checksum, cc.syncCount, cc.syncCharacter,
                cc.endOfMessageCharacter) &&
            PenTableEnabled(cc.penTable),
        Uniform("raster", raster.setting1, raster.setting2, raster.setting3, raster.setting4,
                raster.setting5, raster.setting6, raster.setting7, raster.setting9, raster.rotation,
                raster.compression),
    };
}

constexpr Shown kVelmarShows{true, true, true, true, true, true, true, true, true};
constexpr Shown kGenericShows{false, false, true, false, false, false, false, false, false};
constexpr Shown kOce9400Shows{false, true, true, true, false, false, false, false, false};

class OptionStateTest : public testing::Test {
  protected:
    OptionStateTest() {
        // A stamp, job options with a format, an HP-GL setting and a raster value: something on
        // every page that the printer type governs.
        const auto section = [](int name) { return "[" + Text(name) + "]\n"; };
        const auto line = [](int key, std::string_view value) {
            return Text(key) + "=" + std::string(value) + "\n";
        };
        test::WriteFile(configuration,
                        section(rid::kStampSection) + "=1\n" +
                            line(rid::kStampTextKey, kStampText) +
                            line(rid::kStampPointSizeKey, "12") + section(rid::kJobOptionsSection) +
                            line(rid::kControllerCopiesKey, "2") +
                            line(rid::kMediaKey, Text(rid::kMediaEntryBond)) +
                            line(rid::kPageSizeKey, Text(rid::kPageSizeEntryD)) +
                            line(rid::kFormatKey, Text(rid::kFormatHpgl)) +
                            section(rid::kHpglSection) + line(rid::kHpglModelKey, "7585") +
                            section(rid::kRasterSection) + line(rid::kRasterSetting6Key, "300"));
    }
    ~OptionStateTest() override { profile::Forget(configuration); }

    void Load(OptionState& state) {
        state.values.currentConfiguration = configuration.string();
        LoadAll(state, messages);
    }

    // One send through the worker, as kestrum-cli makes it: the given state is the current
    // settings; A goes with them, B with the configuration file.
    std::string Send(OptionState state, PrinterType type, bool currentFirst = true) {
        test::WriteFile(folder / "a.plt", "PLOT-A");
        test::WriteFile(folder / "b.plt", "PLOT-B");
        PlotFileEntry a;
        a.filePath = (folder / "a.plt").string();
        a.configuration = Text(rid::kCurrentSettingsMarker);
        PlotFileEntry b;
        b.filePath = (folder / "b.plt").string();
        b.configuration = configuration.string();

        test::FakeSpooler spooler({"plotter"});
        DeliverySettings settings;
        settings.printers = {"plotter"};
        settings.printerType = type;
        settings.pauseAfterCopyCollated = settings.pauseAfterCopyPerSet = {};
        RunStateCell runState{RunState::Running};
        DeliveryObserver observer;
        std::vector<PlotFileEntry> entries{a, b};
        if (!currentFirst) std::swap(entries[0], entries[1]);
        DeliveryWorker worker(spooler, std::move(state), std::move(entries), settings, runState,
                              observer, messages, clock);
        EXPECT_EQ(worker.Run().outcome, DeliveryOutcome::Completed);
        if (spooler.jobs().size() != 1) {
            ADD_FAILURE() << "no job was sent";
            return {};
        }
        return spooler.jobs().front().bytes;
    }

    test::TempFolder folder;
    std::filesystem::path configuration = folder / "stamped.cfg";
    CollectingMessageSink messages;
    FixedClock clock{LocalTime{2026, 12, 7, 10, 0, 0}};
};

struct TypeChangeRow {
    const char* name;
    std::vector<PrinterType> choices;  // in the order chosen
    Shown shown;
};

class TypeChangeTest : public OptionStateTest, public testing::WithParamInterface<TypeChangeRow> {};

TEST_P(TypeChangeTest, PagesFollowTheLastTypeAndKeepItThroughLoads) {
    const TypeChangeRow& row = GetParam();
    OptionState state(Unit::English);
    for (PrinterType type : row.choices) ApplyPrinterType(state, type);
    EXPECT_EQ(ShownBy(state), row.shown);

    // The configuration manager loads after the type was applied, and the delivery worker
    // refreshes every page after each entry with a configuration of its own.
    Load(state);
    EXPECT_EQ(ShownBy(state), row.shown) << "after a load";
    EXPECT_EQ(state.job.formatKind.enabled, row.shown == kVelmarShows) << "format radios";
    RefreshAll(state, messages);
    EXPECT_EQ(ShownBy(state), row.shown) << "after a refresh";
}

INSTANTIATE_TEST_SUITE_P(
    OptionState, TypeChangeTest,
    testing::Values(
        TypeChangeRow{"freshIsVelmar", {}, kVelmarShows},
        TypeChangeRow{"generic", {PrinterType::Generic}, kGenericShows},
        TypeChangeRow{"oce9400", {PrinterType::Oce9400}, kOce9400Shows},
        TypeChangeRow{
            "velmarAfterGeneric", {PrinterType::Generic, PrinterType::Velmar}, kVelmarShows},
        TypeChangeRow{
            "genericAfterOce9400", {PrinterType::Oce9400, PrinterType::Generic}, kGenericShows},
        TypeChangeRow{
            "oce9400AfterVelmar", {PrinterType::Velmar, PrinterType::Oce9400}, kOce9400Shows}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionStateTest, ThePrinterSelectionDrivesThePagesBeforeLaterListeners) {
    OptionState state(Unit::English);
    PrinterSelection selection;
    FollowPrinterType(selection, state);
    std::vector<Shown> seenByViewButtons;
    selection.AddPrinterTypeListener(
        [&](PrinterType) { seenByViewButtons.push_back(ShownBy(state)); });

    ProgramSettings settings;  // no settings file: nothing is written
    settings.printerType = PrinterType::Oce9400;
    ASSERT_TRUE(selection.Initialise(settings));
    ASSERT_TRUE(selection.ChoosePrinterType(PrinterType::Generic, settings));
    ASSERT_TRUE(selection.ChoosePrinterType(PrinterType::Velmar, settings));
    EXPECT_EQ(seenByViewButtons, (std::vector<Shown>{kOce9400Shows, kGenericShows, kVelmarShows}));
}

TEST_F(OptionStateTest, SwitchingAwayFromVelmarTurnsTheCurrentStampOffForGood) {
    OptionState state(Unit::English);
    Load(state);
    ASSERT_TRUE(state.stamp.stamp.checked);
    ApplyPrinterType(state, PrinterType::Generic);
    ApplyPrinterType(state, PrinterType::Velmar);
    EXPECT_TRUE(state.stamp.stamp.enabled);
    EXPECT_FALSE(state.stamp.stamp.checked);
    EXPECT_FALSE(state.stamp.text.enabled);

    // The current settings (A) go without the stamp, whatever entry comes before them; the entry
    // with its own configuration (B) still has its stamp.
    for (bool currentFirst : {true, false}) {
        const std::string job = Send(state, PrinterType::Velmar, currentFirst);
        const std::size_t stamp = job.find(kStampText);
        ASSERT_NE(stamp, std::string::npos) << test::Visible(job);
        EXPECT_LT(stamp, job.find("PLOT-B"));
        if (currentFirst) {
            EXPECT_GT(stamp, job.find("PLOT-A"));
        }
        EXPECT_EQ(job.find(kStampText, stamp + 1), std::string::npos)
            << "current first: " << currentFirst << "\n"
            << test::Visible(job);
    }
}

struct CreatedForRow {
    const char* name;
    PrinterType type;
    bool stampSent;
};

class CreatedForTypeTest : public OptionStateTest,
                           public testing::WithParamInterface<CreatedForRow> {};

// kestrum-cli makes its state for the settings' printer type and then loads the configuration,
// as the desktop program applies the stored type before it loads default.cfg. Neither the job
// nor the configuration text that a queue script carries may change by that.
TEST_P(CreatedForTypeTest, ChangesNeitherTheJobNorTheSavedConfiguration) {
    const CreatedForRow& row = GetParam();
    OptionState plain(Unit::English);
    OptionState typed(Unit::English, row.type);
    Load(plain);
    Load(typed);
    EXPECT_TRUE(typed.stamp.stamp.checked);

    const std::string plainJob = Send(plain, row.type);
    const std::string typedJob = Send(typed, row.type);
    EXPECT_EQ(test::Visible(typedJob), test::Visible(plainJob));
    EXPECT_EQ(typedJob.find(kStampText) != std::string::npos, row.stampSent);

    ASSERT_TRUE(SaveAll(plain, folder / "plain.cfg", messages));
    ASSERT_TRUE(SaveAll(typed, folder / "typed.cfg", messages));
    EXPECT_EQ(test::ReadFile(folder / "typed.cfg"), test::ReadFile(folder / "plain.cfg"));
    EXPECT_NE(test::ReadFile(folder / "typed.cfg").find(kStampText), std::string::npos);
    profile::Forget(folder / "plain.cfg");
    profile::Forget(folder / "typed.cfg");
    EXPECT_TRUE(messages.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(OptionState, CreatedForTypeTest,
                         testing::Values(CreatedForRow{"generic", PrinterType::Generic, false},
                                         CreatedForRow{"velmar", PrinterType::Velmar, true},
                                         CreatedForRow{"oce9400", PrinterType::Oce9400, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrum
