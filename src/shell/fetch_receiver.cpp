#include "shell/fetch_receiver.h"

#include <string>

#include <cstring>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/verbose.h"
#include "net/link_names.h"
#include "protocol/payload_codec.h"

namespace kovw::shell {

using foundation::log_printf;

FetchReceiver::FetchReceiver(FetchJob job, protocol::FetchAnswer answer)
    : job_(std::move(job)), answer_(answer), started_(std::chrono::steady_clock::now()) {
  size_seen_ = answer_ == protocol::FetchAnswer::PlainData;
}

bool FetchReceiver::begin() {
  if (job_.request.mode != protocol::kFetchFile) return true;
  const int error = file_.open(job_.local_path);
  if (error == 0) return true;
  finish_failure(10060, foundation::message_text_format(10060, job_.local_path.c_str(), error));
  return false;
}

std::size_t FetchReceiver::memory_limit() const {
  const int mode = job_.request.mode;
  if (mode == protocol::kFetchBuffer || mode == protocol::kFetchWholeBuffer) {
    const std::uint64_t size = job_.request.in_out & 0xFFFFFFFFu;
    if (size > 0) return static_cast<std::size_t>(std::min<std::uint64_t>(size, kFetchMemoryMax));
  }
  return kFetchMemoryMax;
}

bool FetchReceiver::take(int type, std::span<const std::uint8_t> payload) {
  if (ended_) return true;
  if (foundation::verbose(foundation::kVerboseTransmission))
    log_printf("dw_getfile neuer Satz %d", type);
  if (!size_seen_ && answer_ == protocol::FetchAnswer::SizeFirst) {
    if (type == net::KWK_KSIZE) {
      protocol::PayloadReader in(payload);
      const std::int32_t size = in.int_field("size");
      if (!in.ok()) return finish_failure(10037, in.failure().message);
      log_printf("Groesse %d", size);
      outcome_.announced = static_cast<std::uint32_t>(size);
      size_seen_ = true;
      return false;
    }
    if (type == net::KWK_KOMFAIL) {
      const auto failure = protocol::parse_fetch_failure(payload);
      const std::string text = failure ? failure->text : std::string();
      return finish_failure(10064, foundation::message_text_format(10064, text.c_str()));
    }
    return finish_failure(10037, "unexpected answer " + std::to_string(type) + " before the size");
  }
  const bool last = type == net::KWK_KOMOK && !payload.empty();
  if (type != net::KWK_KDATA && !last) {
    if (type == net::KWK_KOMFAIL) {
      const auto failure = protocol::parse_fetch_failure(payload);
      const std::string text = failure ? failure->text : std::string();
      return finish_failure(10064, foundation::message_text_format(10064, text.c_str()));
    }
    return finish_success();
  }
  if (!size_seen_) {  // the information header leads the first data frame
    std::span<const std::uint8_t> rest;
    const auto info = protocol::parse_fetch_info(payload, rest);
    if (!info) return finish_failure(10037, info.error().message);
    outcome_.announced = info->size;
    outcome_.file_time = info->file_time;
    size_seen_ = true;
    log_printf("dw_getfile Info da. Größe %d, Zeit %lld", static_cast<int>(info->size),
               static_cast<long long>(info->file_time));
    payload = rest;
  }
  if (!data(payload)) return true;
  return last ? finish_success() : false;
}

bool FetchReceiver::data(std::span<const std::uint8_t> bytes) {
  if (foundation::verbose(foundation::kVerboseTransmission))
    log_printf("dw_getfile Daten %d", static_cast<int>(bytes.size()));
  outcome_.received += bytes.size();
  if (job_.request.text_mode) {
    converted_.clear();
    expander_.expand(bytes, converted_);
    bytes = converted_;
  }
  if (job_.request.mode == protocol::kFetchFile) {
    const int error = file_.write(bytes);
    if (error != 0) {
      finish_failure(10061, foundation::message_text_format(10061, job_.local_path.c_str(), error));
      return false;
    }
    return true;
  }
  const std::size_t limit = memory_limit();
  const std::size_t room = limit - std::min(limit, outcome_.data.size());
  if (bytes.size() > room && job_.request.mode != protocol::kFetchBuffer &&
      job_.request.mode != protocol::kFetchWholeBuffer) {
    // A listing or text set larger than any real one: refused rather than cut.
    finish_failure(10037, "answer larger than " + std::to_string(limit) + " bytes");
    return false;
  }
  const std::size_t take = std::min(room, bytes.size());
  outcome_.data.insert(outcome_.data.end(), bytes.begin(),
                       bytes.begin() + static_cast<std::ptrdiff_t>(take));
  return true;
}

bool FetchReceiver::finish_success() {
  if (job_.request.mode == protocol::kFetchFile && outcome_.announced &&
      outcome_.received < *outcome_.announced) {
    // The transfer ended before the size the daemon gave: the file is not whole.
    return finish_failure(10037, "transfer ended after " + std::to_string(outcome_.received) +
                                     " of " + std::to_string(*outcome_.announced) + " bytes");
  }
  if (job_.request.mode == protocol::kFetchFile) {
    const int error = file_.commit(
        outcome_.file_time ? std::optional<std::time_t>(*outcome_.file_time) : std::nullopt);
    if (error != 0)
      return finish_failure(10061,
                            foundation::message_text_format(10061, job_.local_path.c_str(), error));
  }
  ended_ = true;
  outcome_.result = 0;
  outcome_.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started_);
  return true;
}

bool FetchReceiver::finish_failure(int message, std::string error) {
  file_.abort();
  ended_ = true;
  outcome_.result = -2;
  outcome_.message = message;
  outcome_.error = std::move(error);
  outcome_.data.clear();
  outcome_.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started_);
  return true;
}

void FetchReceiver::cancel() {
  if (ended_) return;
  outcome_.cancelled = true;
  finish_failure(0, "cancelled");
}

void FetchReceiver::fail(int message, std::string error) {
  if (!ended_) finish_failure(message, std::move(error));
}

}  // namespace kovw::shell
