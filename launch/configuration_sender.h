#pragma once

// The configuration manager's send action: the current configuration goes to one printer queue
// without plot data. In device mode it is a controller header alone; in KSL mode it is a queue
// configuration script that a print server keeps as a named configuration:
//
//   "@KSL NEWCONFIG" reference <the configuration file's text> "\r\n@KSL END;\r\n"
//   and, with the set-current flag on, "@KSL SETCURRENT" reference
//
// where the reference is "(GENERAL, name.cfg);\r\n\r\n" (or "(QUEUE, ...") .

#include <filesystem>
#include <string>
#include <string_view>

#include "config/option_state.h"
#include "options/user_object.h"
#include "platform/clock.h"
#include "platform/result.h"
#include "platform/spooler.h"
#include "shell/message_sink.h"
#include "shell/program_settings.h"

namespace kestrum {

// The configuration reference: the kind word, then the configuration's file name, the path
// after its last "/" (the whole path when it has none). Any kind but General is a queue
// configuration, as the manager's radio buttons show it.
std::string ConfigurationReference(std::string_view configurationPath, ConfigurationKind kind);

// $TMPDIR, or /tmp when it is unset or empty.
std::filesystem::path TemporaryFolder();

class ConfigurationSender {
  public:
    // The output mode and printer type come from `settings`; the values, pages and the set-current
    // flag from `state`. Does not take ownership; everything must outlive the sender.
    ConfigurationSender(OptionState& state, const ProgramSettings& settings, Spooler& spooler,
                        MessageSink& messages, const Clock& clock);

    // Where the script's temporary copy of the configuration is made; TemporaryFolder() unless set.
    void SetTemporaryFolder(std::filesystem::path folder) { temporaryFolder_ = std::move(folder); }

    // Sends the current configuration to `printer`. Runs on the user-interface thread and blocks
    // while the spooler takes the job.
    //
    // Nothing is shown to the user here: the caller shows the error once (ShowError). Keys the
    // configuration saver refused are the exception: their groups have shown them through the
    // message sink, and the error says the configuration was not sent. On every failure after
    // the queue opened the job has been aborted, so that no half configuration reaches the
    // printer. The temporary copy is gone on every path out. A copy that cannot be removed after
    // a whole send is shown through the message sink and the send succeeds.
    Result<void> Send(const std::string& printer);

  private:
    Result<void> SendHeader(SpoolJob& job);
    Result<void> SendScript(SpoolJob& job);
    Result<void> SendConfigurationText(SpoolJob& job);
    Result<void> Refuse(int resource, const std::string& detail, SpoolJob& job,
                        ErrorKind kind = ErrorKind::Printer);
    Result<void> End(SpoolJob& job);

    OptionState& state_;
    const ProgramSettings& settings_;
    Spooler& spooler_;
    MessageSink& messages_;
    const Clock& clock_;
    std::filesystem::path temporaryFolder_;
};

}  // namespace kestrum
