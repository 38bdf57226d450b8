#include "launch/configuration_sender.h"

#include <gtest/gtest.h>

#include "config/configuration_file.h"
#include "fake_spooler.h"
#include "shell/resource_ids.h"
#include "temp_folder.h"
#include "test_support.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;
using test::FakeSpooler;
using test::ReadFile;
using test::Visible;

bool IsEmptyFolder(const fs::path& folder) {
    return fs::directory_iterator(folder) == fs::directory_iterator();
}

class ConfigurationSenderTest : public testing::Test {
  protected:
    ConfigurationSenderTest() {
        fs::create_directory(temporary);
        state.values.currentConfiguration = (folder / "configs" / "config1.cfg").string();
        state.values.job.copies = 2;
        RefreshAll(state, messages);
    }

    Result<void> Send(const std::string& printer = "Plotter") {
        ConfigurationSender sender(state, settings, spooler, messages, clock);
        sender.SetTemporaryFolder(temporary);
        return sender.Send(printer);
    }

    // What the saver writes for the current state: the script carries it unchanged.
    std::string SavedConfiguration() {
        OptionState copy = state;
        CollectingMessageSink ignored;
        const fs::path file = folder / "expected.cfg";
        EXPECT_TRUE(SaveAll(copy, file, ignored));
        return ReadFile(file);
    }

    const test::FakeJobRecord& OnlyJob() {
        EXPECT_EQ(spooler.jobs().size(), 1u);
        return spooler.jobs().front();
    }

    test::TempFolder folder;
    fs::path temporary = folder / "tmp";
    OptionState state{Unit::English};
    ProgramSettings settings;
    FakeSpooler spooler{{"Plotter"}};
    CollectingMessageSink messages;
    FixedClock clock{LocalTime{2024, 3, 7, 16, 45, 0}};
};

// The general and queue spellings are covered by the script rows below.
TEST(ConfigurationReferenceTest, EdgesOfTheNameAndKind) {
    EXPECT_EQ(ConfigurationReference("plain.cfg", ConfigurationKind::General),
              "(GENERAL, plain.cfg);\r\n\r\n");
    EXPECT_EQ(ConfigurationReference("/x.cfg", static_cast<ConfigurationKind>(7)),
              "(QUEUE, x.cfg);\r\n\r\n");
}

struct ScriptRow {
    const char* name;
    ConfigurationKind kind;
    int setCurrent;
    const char* head;  // before the configuration's text
    const char* tail;  // after it
};

class ConfigurationScriptTest : public ConfigurationSenderTest,
                                public testing::WithParamInterface<ScriptRow> {};

TEST_P(ConfigurationScriptTest, WritesTheScriptAroundTheSavedConfiguration) {
    settings.outputMode = OutputMode::Ksl;
    state.values.kind = GetParam().kind;
    state.values.setCurrentFlag = GetParam().setCurrent;

    ASSERT_TRUE(Send());

    const auto& job = OnlyJob();
    EXPECT_EQ(job.bytes, GetParam().head + SavedConfiguration() + GetParam().tail);
    EXPECT_TRUE(job.ended);
    EXPECT_EQ(job.abortCalls, 0);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_TRUE(IsEmptyFolder(temporary));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConfigurationScriptTest,
    testing::Values(ScriptRow{"general", ConfigurationKind::General, 0,
                              "@KSL NEWCONFIG(GENERAL, config1.cfg);\r\n\r\n", "\r\n@KSL END;\r\n"},
                    ScriptRow{"queue", ConfigurationKind::Queue, 0,
                              "@KSL NEWCONFIG(QUEUE, config1.cfg);\r\n\r\n", "\r\n@KSL END;\r\n"},
                    ScriptRow{"generalSetCurrent", ConfigurationKind::General, 1,
                              "@KSL NEWCONFIG(GENERAL, config1.cfg);\r\n\r\n",
                              "\r\n@KSL END;\r\n@KSL SETCURRENT(GENERAL, config1.cfg);\r\n\r\n"},
                    ScriptRow{"queueSetCurrent", ConfigurationKind::Queue, 1,
                              "@KSL NEWCONFIG(QUEUE, config1.cfg);\r\n\r\n",
                              "\r\n@KSL END;\r\n@KSL SETCURRENT(QUEUE, config1.cfg);\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigurationSenderTest, StreamsTheConfigurationInPiecesOf512) {
    settings.outputMode = OutputMode::Ksl;
    ASSERT_TRUE(Send());
    const std::size_t text = SavedConfiguration().size();
    ASSERT_GT(text, 1024u);
    std::vector<std::size_t> expected{14, 27};
    for (std::size_t left = text; left > 0; left -= std::min<std::size_t>(left, 512)) {
        expected.push_back(std::min<std::size_t>(left, 512));
    }
    expected.push_back(13);
    EXPECT_EQ(OnlyJob().writes, expected);
}

TEST_F(ConfigurationSenderTest, AnyRefusedWriteAbortsTheJobAndRemovesTheCopy) {
    settings.outputMode = OutputMode::Ksl;
    state.values.setCurrentFlag = 1;
    ASSERT_TRUE(Send());
    const int writes = static_cast<int>(OnlyJob().writes.size());

    for (int failing = 0; failing < writes; ++failing) {
        SCOPED_TRACE("write " + std::to_string(failing));
        FakeSpooler refusing{{"Plotter"}};
        refusing.FailFromWrite(failing);
        CollectingMessageSink told;
        ConfigurationSender sender(state, settings, refusing, told, clock);
        sender.SetTemporaryFolder(temporary);

        const Result<void> sent = sender.Send("Plotter");
        ASSERT_FALSE(sent);

        // The caller shows the failure: shown here as well, a front end would say it twice.
        EXPECT_TRUE(told.messages().empty());
        EXPECT_EQ(sent.error().resource, rid::kScriptSendFailedMessage);
        EXPECT_EQ(sent.error().kind, ErrorKind::Printer);
        EXPECT_EQ(refusing.jobs().front().abortCalls, 1);
        EXPECT_FALSE(refusing.jobs().front().ended);
        EXPECT_TRUE(IsEmptyFolder(temporary));
    }
}

TEST_F(ConfigurationSenderTest, NoTemporaryFileStopsBeforeTheConfiguration) {
    settings.outputMode = OutputMode::Ksl;
    temporary = folder / "missing";
    const Result<void> sent = Send();
    ASSERT_FALSE(sent);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(sent.error().resource, rid::kScriptTempNameFailedMessage);
    EXPECT_EQ(sent.error().kind, ErrorKind::File);
    EXPECT_NE(sent.error().message.find(temporary.string()), std::string::npos);
    EXPECT_EQ(OnlyJob().bytes, "@KSL NEWCONFIG(GENERAL, config1.cfg);\r\n\r\n");
    EXPECT_EQ(OnlyJob().abortCalls, 1);
}

TEST_F(ConfigurationSenderTest, AJobTheSpoolerCannotEndIsReported) {
    settings.outputMode = OutputMode::Ksl;
    spooler.FailEnd();
    auto sent = Send();
    ASSERT_FALSE(sent);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(sent.error().resource, rid::kScriptSendFailedMessage);
    EXPECT_NE(sent.error().message.find("did not take the job"), std::string::npos);
    EXPECT_TRUE(IsEmptyFolder(temporary));
}

TEST_F(ConfigurationSenderTest, QueueThatCannotBeOpenedIsNotToldButAnswered) {
    for (OutputMode mode : {OutputMode::Device, OutputMode::Ksl}) {
        settings.outputMode = mode;
        auto sent = Send("Nowhere");
        ASSERT_FALSE(sent);
        EXPECT_NE(sent.error().message.find("Nowhere"), std::string::npos);
    }
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_TRUE(spooler.jobs().empty());
    EXPECT_TRUE(IsEmptyFolder(temporary));
}

struct HeaderRow {
    const char* name;
    PrinterType type;
    int setCurrent;
    const char* bytes;
};

class ConfigurationHeaderTest : public ConfigurationSenderTest,
                                public testing::WithParamInterface<HeaderRow> {};

TEST_P(ConfigurationHeaderTest, SendsTheHeaderAlone) {
    settings.outputMode = OutputMode::Device;
    settings.printerType = GetParam().type;
    state.values.setCurrentFlag = GetParam().setCurrent;

    ASSERT_TRUE(Send());

    EXPECT_EQ(Visible(OnlyJob().bytes), GetParam().bytes);
    EXPECT_TRUE(OnlyJob().ended);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_TRUE(IsEmptyFolder(temporary));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConfigurationHeaderTest,
    testing::Values(HeaderRow{"velmar", PrinterType::Velmar, 0, "<ESC>.COPY2:"},
                    HeaderRow{"velmarSetCurrent", PrinterType::Velmar, 1, "<ESC>.COPY2!"},
                    HeaderRow{"genericSendsAnEmptyJob", PrinterType::Generic, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigurationSenderTest, RefusedHeaderAbortsTheJob) {
    settings.outputMode = OutputMode::Device;
    spooler.FailFromWrite(0);
    const Result<void> sent = Send();
    ASSERT_FALSE(sent);
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_EQ(sent.error().resource, rid::kHeaderWriteFailed);
    EXPECT_EQ(OnlyJob().abortCalls, 1);
    EXPECT_FALSE(OnlyJob().ended);
}

}  // namespace
}  // namespace kestrum
