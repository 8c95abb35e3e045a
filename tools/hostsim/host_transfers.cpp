#include "host_transfers.h"

#include <fstream>
#include <thread>

#include "net/link_names.h"
#include "protocol/file_transfer.h"

namespace hostsim {

namespace net = kovw::net;
namespace proto = kovw::protocol;

namespace {

constexpr std::size_t kBlock = 32 * 1024;

// Generated text: numbered lines with LF ends, exactly `size` bytes.
std::vector<std::uint8_t> generated(std::size_t size) {
  std::vector<std::uint8_t> out;
  out.reserve(size);
  for (std::size_t line = 1; out.size() < size; ++line) {
    const std::string text = "line " + std::to_string(line) + " of the generated file\n";
    for (const char c : text) {
      if (out.size() == size) break;
      out.push_back(static_cast<std::uint8_t>(c));
    }
  }
  return out;
}

}  // namespace

bool run_download(const HostStep& step, const MessageSender& send,
                  const std::function<std::string(int)>& await_answer, const StepLog& log) {
  std::vector<std::uint8_t> data;
  if (step.source.rfind("gen:", 0) == 0) {
    data = generated(std::stoul(step.source.substr(4)));
  } else {
    std::ifstream in(step.source, std::ios::binary);
    if (!in) {
      log("download: cannot read " + step.source);
      return true;
    }
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  proto::DownloadStart start;
  start.target = step.target;
  start.size = static_cast<std::int32_t>(data.size());
  start.flags = step.flags | proto::kTransferDisplayName;
  start.display_name = step.source;
  if (!send(proto::build_download_start(net::KWK_KSDATEI, start))) return false;
  for (std::size_t at = 0; at < data.size(); at += kBlock) {
    const std::size_t take = std::min(kBlock, data.size() - at);
    proto::Outgoing block{net::KWD_KOMM,
                          net::KWK_KDATA,
                          {data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(at + take)}};
    if (!send(block)) return false;
    if (step.milliseconds > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(step.milliseconds));
  }
  if (!send(proto::Outgoing{net::KWD_KOMM, net::KWK_KOMOK, {}})) return false;
  const std::string answer = await_answer(net::KWK_KSDATEI);
  log("download answer: " + (answer.empty() ? std::string("none") : answer));
  return !answer.empty();
}

bool run_upload(
    const HostStep& step, const MessageSender& send,
    const std::function<std::optional<std::pair<int, std::vector<std::uint8_t>>>()>& next,
    const StepLog& log) {
  proto::UploadRequest request;
  request.source = step.source;
  request.flags = step.flags;
  if (!send(proto::build_upload_request(net::KWK_KFGET, request))) return false;
  std::ofstream out(step.target, std::ios::binary | std::ios::trunc);
  std::size_t bytes = 0;
  for (;;) {
    const auto frame = next();
    if (!frame) return false;
    if (frame->first == net::KWK_KDATA) {
      const auto block = proto::parse_upload_block(frame->second);
      if (!block) continue;
      out.write(reinterpret_cast<const char*>(block->data()),
                static_cast<std::streamsize>(block->size()));
      bytes += block->size();
    } else if (frame->first == net::KWK_KFGET) {
      const auto answer = proto::parse_transfer_answer(frame->second);
      log("upload answer: " +
          (answer ? std::to_string(answer->error) + " " + answer->text
                  : std::string("unreadable")) +
          ", " + std::to_string(bytes) + " bytes saved in " + step.target);
      return true;
    }
  }
}

}  // namespace hostsim
