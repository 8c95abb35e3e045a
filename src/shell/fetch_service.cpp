#include "shell/fetch_service.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimerEvent>
#include <future>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "net/link_names.h"
#include "platform/gui_call.h"
#include "shell/file_cache.h"
#include "shell/server_connection.h"
#include "shell/transfer_statistics.h"

namespace kovw::shell {

using foundation::log_printf;

FetchService::FetchService(std::function<int(const protocol::Outgoing&)> send,
                           std::function<int()> daemon_version,
                           std::function<std::string()> display, QObject* parent)
    : QObject(parent),
      send_(std::move(send)),
      daemon_version_(std::move(daemon_version)),
      display_(std::move(display)) {}

FetchService::~FetchService() {
  link_lost();
}

void FetchService::submit(FetchJob job, Done done) {
  queue_.push_back(Pending{std::move(job), std::move(done)});
  if (!current_ && !draining_) start_next();
}

void FetchService::start_next() {
  while (!current_ && !draining_ && !queue_.empty()) {
    Pending next = std::move(queue_.front());
    queue_.pop_front();
    const int version = daemon_version_();
    const protocol::FetchRequest& request = next.job.request;
    const std::string host_name = request.host_name;
    if (!protocol::fetch_mode_supported(request.mode, version)) {
      FetchOutcome refused;
      refused.message = 10087;
      refused.error = foundation::message_text(10087);
      log_printf("dw_getfile %s: %s", host_name.c_str(), refused.error.c_str());
      next.done(std::move(refused));
      continue;
    }
    auto receiver = std::make_unique<FetchReceiver>(
        std::move(next.job), protocol::fetch_answer_kind(request.for_program, version));
    if (!receiver->begin()) {
      log_printf("dw_getfile %s", receiver->outcome().error.c_str());
      next.done(receiver->take_outcome());
      continue;
    }
    const protocol::Outgoing message =
        protocol::build_fetch_request(receiver->job().request, version);
    if (receiver->job().request.mode == protocol::kFetchTexts)
      log_printf("dw_getfile Start Übertragung Hilfe %s/%s", host_name.c_str(),
                 receiver->job().request.names.empty()
                     ? ""
                     : receiver->job().request.names.back().c_str());
    else
      log_printf("dw_getfile Start Übertragung %s lokal %s", host_name.c_str(),
                 receiver->job().local_path.c_str());
    if (const int sent = send_(message); sent < 0) {
      receiver->fail(10038, foundation::message_text_format(10038, display_().c_str(), sent, 0));
      next.done(receiver->take_outcome());
      continue;
    }
    current_ = std::move(receiver);
    current_done_ = std::move(next.done);
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    frame_timer_.start(frame_timeout_ms_, this);
  }
}

void FetchService::take(int type, std::span<const std::uint8_t> payload) {
  if (draining_) {
    // The rest of a cancelled fetch: data frames are dropped until its end frame.
    if (type != net::KWK_KDATA && type != net::KWK_KSIZE) {
      draining_ = false;
      frame_timer_.stop();
      start_next();
    } else {
      frame_timer_.start(frame_timeout_ms_, this);
    }
    return;
  }
  if (!current_) return;
  frame_timer_.start(frame_timeout_ms_, this);
  if (cancel_ && cancel_->load()) {
    // The user cancelled in the progress window: this frame is the first one dropped.
    cancel_current();
    take(type, payload);
    return;
  }
  if (current_->take(type, payload)) {
    finish();
    return;
  }
  const FetchJob& job = current_->job();
  const FetchOutcome& so_far = current_->outcome();
  if (!progress_ && !job.request.for_program && so_far.announced) {
    const std::string& name = job.display_name.empty() ? job.request.host_name : job.display_name;
    progress_ = TransferProgress::open(
        TransferDirection::Download,
        QString::fromUtf8(foundation::german() ? "Dateiübertragung vom Host"
                                               : "File Transmission from Host"),
        QString::fromStdString(name), *so_far.announced, cancel_);
  }
  if (progress_) progress_->advance(so_far.received);
}

void FetchService::finish() {
  frame_timer_.stop();
  progress_.reset();
  cancel_.reset();
  std::unique_ptr<FetchReceiver> receiver = std::move(current_);
  Done done = std::move(current_done_);
  FetchOutcome outcome = receiver->take_outcome();
  add_transfer(TransferDirection::Download, outcome.received,
               static_cast<std::uint64_t>(outcome.elapsed.count()));
  log_printf("KOVW Download %d Bytes in %.3f seconds", static_cast<int>(outcome.received),
             static_cast<double>(outcome.elapsed.count()) / 1000.0);
  if (outcome.result != 0 && !outcome.cancelled)
    log_printf("dw_getfile %s: %s", receiver->job().request.host_name.c_str(),
               outcome.error.c_str());
  if (done) done(std::move(outcome));
  start_next();
}

void FetchService::cancel_current() {
  if (!current_) return;
  current_->cancel();
  draining_ = true;
  frame_timer_.start(frame_timeout_ms_, this);
  finish();
}

void FetchService::link_lost() {
  frame_timer_.stop();
  draining_ = false;
  if (current_) {
    current_->fail(10037, "Connection lost to Server.");
    finish();
  }
  std::deque<Pending> left = std::move(queue_);
  queue_.clear();
  for (Pending& pending : left) {
    FetchOutcome outcome;
    outcome.message = 10037;
    outcome.error = "Connection lost to Server.";
    if (pending.done) pending.done(std::move(outcome));
  }
}

void FetchService::timerEvent(QTimerEvent* event) {
  if (event->timerId() != frame_timer_.timerId()) return;
  frame_timer_.stop();
  if (draining_) {
    draining_ = false;
    start_next();
    return;
  }
  if (current_) {
    log_printf("dw_getfile: keine Antwort vom Server");
    current_->fail(10037, "no answer from the server");
    finish();
  }
}

FetchOutcome fetch_and_wait(FetchJob job) {
  FetchOutcome refused;
  refused.message = 0;
  if (QCoreApplication::instance() == nullptr ||
      QThread::currentThread() == QCoreApplication::instance()->thread()) {
    refused.error = "No Data from KOVW-Master Error 0";
    return refused;
  }
  log_printf("dr_getfile Anforderung %s", job.request.host_name.c_str());
  auto promise = std::make_shared<std::promise<FetchOutcome>>();
  std::future<FetchOutcome> answer = promise->get_future();
  job.request.for_program = true;
  log_printf("dr_getfile Sende WML_FILETRANS");
  platform::post_to_gui_thread([job = std::move(job), promise]() mutable {
    ServerConnection* connection = ServerConnection::instance();
    FetchService* service = connection ? connection->fetches() : nullptr;
    if (service == nullptr) {
      FetchOutcome none;
      none.message = 10037;
      none.error = "No Data from KOVW-Master Error 0";
      promise->set_value(std::move(none));
      return;
    }
    const std::string name = job.request.host_name;
    log_printf("WML_FILETRANS: Starte Übertragung %s", name.c_str());
    service->submit(std::move(job), [promise, name](FetchOutcome outcome) {
      log_printf("WML_FILETRANS: Ende Übertragung %s", name.c_str());
      promise->set_value(std::move(outcome));
    });
  });
  try {
    FetchOutcome outcome = answer.get();
    log_printf("dr_getfile Antwort da");
    return outcome;
  } catch (const std::future_error& error) {
    refused.error = "No Data from KOVW-Master Error " + std::to_string(error.code().value());
    return refused;
  }
}

std::string fetch_cached(const std::string& data_directory, std::string_view host_name,
                         std::string_view extension, std::time_t stamp, std::string_view group,
                         std::string& error) {
  CacheEntry entry = cache_lookup(data_directory, host_name, extension, stamp, group);
  switch (entry.state) {
    case CacheState::Current:
      return entry.local_path;
    case CacheState::Failed:
      error = entry.error;
      return {};
    case CacheState::Fetch:
      break;
  }
  FetchJob job;
  job.request.host_name = std::string(host_name);
  job.local_path = entry.local_path;
  const FetchOutcome outcome = fetch_and_wait(std::move(job));
  cache_done(entry, outcome.result == 0);
  if (outcome.result != 0) {
    error = outcome.error;
    return {};
  }
  return entry.local_path;
}

void fetch_cached_async(
    std::string data_directory, std::string host_name, std::string extension, std::time_t stamp,
    std::string group,
    std::function<void(const std::string& path, const std::string& error)> done) {
  platform::run_in_background([data_directory = std::move(data_directory),
                               host_name = std::move(host_name), extension = std::move(extension),
                               stamp, group = std::move(group), done = std::move(done)]() mutable {
    auto entry = std::make_shared<CacheEntry>(
        cache_lookup(data_directory, host_name, extension, stamp, group));
    platform::post_to_gui_thread([entry, host_name, done = std::move(done)]() mutable {
      if (entry->state == CacheState::Current) {
        done(entry->local_path, {});
        return;
      }
      ServerConnection* connection = ServerConnection::instance();
      if (entry->state == CacheState::Failed || connection == nullptr) {
        const std::string error =
            entry->state == CacheState::Failed ? entry->error : "no server connection";
        cache_release(*entry);
        done({}, error);
        return;
      }
      FetchJob job;
      job.request.host_name = host_name;
      job.local_path = entry->local_path;
      connection->fetches()->submit(std::move(job),
                                    [entry, done = std::move(done)](FetchOutcome outcome) {
                                      cache_done(*entry, outcome.result == 0);
                                      if (outcome.result == 0)
                                        done(entry->local_path, {});
                                      else
                                        done({}, outcome.error);
                                    });
    });
  });
}

}  // namespace kovw::shell
