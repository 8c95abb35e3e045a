#pragma once
// The transfer steps of scripted host programs: a download to the workstation and an upload
// from it, on the program's link.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host_program.h"

namespace hostsim {

using MessageSender = std::function<bool(const kovw::protocol::Outgoing&)>;
using StepLog = std::function<void(const std::string&)>;

// Sends the download of `step`; `await_answer(type)` waits for the answer of that type and
// returns it as "code text" (empty when none came). False when the link failed.
bool run_download(const HostStep& step, const MessageSender& send,
                  const std::function<std::string(int)>& await_answer, const StepLog& log);

// Asks for the upload of `step`; `next()` gives the next frame's type and payload (nullopt
// when the link ended). False when the link failed.
bool run_upload(
    const HostStep& step, const MessageSender& send,
    const std::function<std::optional<std::pair<int, std::vector<std::uint8_t>>>()>& next,
    const StepLog& log);

}  // namespace hostsim
