#include "config/configuration_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "compose/job_stream.h"
#include "platform/clock.h"
#include "platform/print_job.h"
#include "platform/private_profile.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

// Two configurations that differ in every group that reaches a controller header.
OptionState Configuration(int variant) {
    OptionState state(Unit::English, PrinterType::Velmar);
    CUserObject& v = state.values;
    v.stamp.stampOn = 1;
    v.stamp.text = variant == 0 ? "FIRST CONFIGURATION" : "SECOND";
    v.job.copies = variant == 0 ? 2 : 7;
    for (int pen = 0; pen < 8; ++pen) {
        v.hpglPens[pen].width = std::to_string(variant == 0 ? pen + 1 : 9 - pen);
        v.calcompPens[pen].grayLevel = std::to_string(variant == 0 ? 10 : 90);
    }
    v.raster[9] = variant == 0 ? "30" : "";
    CollectingMessageSink messages;
    RefreshAll(state, messages);
    return state;
}

// Loads `file` and composes a header from it, as the delivery worker does for a launch-list entry.
std::string HeaderFrom(const std::filesystem::path& file, MessageSink& messages) {
    OptionState state(Unit::English, PrinterType::Velmar);
    state.values.currentConfiguration = file.string();
    LoadAll(state, messages);
    OptionStateExports exports(state);
    const FixedClock clock({2026, 3, 4, 5, 6, 7});
    MemoryPrintJob job;
    JobStreamComposer composer(state.values, PrinterType::Velmar, clock, &exports);
    EXPECT_TRUE(composer.ComposeJobHeader(job).ok());
    return job.bytes();
}

// A send that loads a configuration while the same file is being saved on another thread must
// compose from the configuration before the save or after it, never from a mixture.
TEST(ConfigurationFileTest, LoadWhileSavingTheSameFileSeesOneWholeConfiguration) {
    test::TempFolder folder;
    const auto file = folder / "shared.cfg";
    OptionState configurations[2] = {Configuration(0), Configuration(1)};
    CollectingMessageSink saverMessages;
    CollectingMessageSink loaderMessages;

    std::set<std::string> expected;
    for (OptionState& state : configurations) {
        ASSERT_TRUE(SaveAll(state, file, saverMessages).ok());
        expected.insert(HeaderFrom(file, loaderMessages));
    }
    ASSERT_EQ(expected.size(), 2u) << "the two configurations must compose different headers";

    std::atomic<bool> done{false};
    std::thread saver([&] {
        for (int round = 0; round < 300; ++round) {
            EXPECT_TRUE(SaveAll(configurations[round % 2], file, saverMessages).ok());
        }
        done = true;
    });
    int loads = 0;
    int mixed = 0;
    std::set<std::string> seen;
    while (!done || loads < 20) {
        const std::string header = HeaderFrom(file, loaderMessages);
        ++loads;
        seen.insert(header);
        if (expected.count(header) == 0) ++mixed;
    }
    saver.join();
    EXPECT_EQ(mixed, 0) << "of " << loads << " loads";
    EXPECT_TRUE(saverMessages.messages().empty());
    EXPECT_TRUE(loaderMessages.messages().empty());
    profile::Forget(file);
}

// A failed flush reaches the caller once, as the error, and no key was shown meanwhile.
TEST(ConfigurationFileTest, SaveFailuresAreReportedOnce) {
    test::TempFolder folder;
    OptionState state = Configuration(0);
    CollectingMessageSink messages;

    // A folder that vanishes between the key writes and the flush.
    const auto gone = folder / "gone";
    std::filesystem::create_directory(gone);
    {
        profile::Batch batch(gone / "x.cfg");
        ASSERT_TRUE(profile::WriteString(gone / "x.cfg", "s", "k", "v").ok());
        ASSERT_TRUE(batch.Commit().ok());
    }
    std::filesystem::remove(gone);
    const Result<void> flushed = SaveAll(state, gone / "x.cfg", messages);
    ASSERT_FALSE(flushed.ok());
    EXPECT_FALSE(flushed.error().shown);
    EXPECT_EQ(flushed.error().resource, rid::kCannotSaveConfiguration);
    EXPECT_EQ(flushed.error().message.rfind("Cannot save the configuration: Cannot write", 0), 0u)
        << flushed.error().message;
    EXPECT_TRUE(messages.messages().empty());
    profile::Forget(gone / "x.cfg");

    // Keys refused as they are written have been shown by their groups.
    const Result<void> refused = SaveAll(state, folder / "missing" / "x.cfg", messages);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().shown);
    EXPECT_FALSE(messages.messages().empty());
    profile::Forget(folder / "missing" / "x.cfg");
}

}  // namespace
}  // namespace kestrum
