#include "print/print_service.h"

#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "foundation/verbose.h"
#include "net/last_socket_error.h"
#include "net/socket_wait.h"
#include "net/tcp_socket.h"
#include "print/direct_print.h"
#include "print/job_records.h"
#include "print/job_window.h"
#include "print/painter_print_device.h"
#include "print/print_access.h"
#include "print/print_interpreter.h"
#include "print/print_report.h"
#include "print/print_spool.h"
#include "print/raw_print.h"

namespace kovw::print {

namespace {

bool logging() {
  return foundation::verbose(foundation::kVerbosePrinting);
}

std::string utf8(const QString& text) {
  return text.toUtf8().toStdString();
}

// ---- reading print records ---------------------------------------------------------------

enum class RecordKind { Data, End, Timeout, Closed, Failed };

struct RecordRead {
  RecordKind kind = RecordKind::Data;
  int result = 0;  // the socket layer's result
  int error = 0;   // the system error
};

RecordRead receive_failure(int received) {
  const int error = net::last_socket_error();
  if (received == 0) return {RecordKind::Closed, 0, error};
  if (received == net::kScTimeout)
    return {RecordKind::Timeout, received, foundation::kWSAETIMEDOUT};
  return {received < 0 ? RecordKind::Failed : RecordKind::Closed, received, error};
}

RecordRead read_print_record(int socket, int wait_ms, std::vector<std::uint8_t>& payload) {
  payload.clear();
  const int ready = net::wait_for_socket(socket, POLLIN, wait_ms);
  if (ready == 0) return {RecordKind::Timeout, net::kScTimeout, foundation::kWSAETIMEDOUT};
  if (ready < 0) return {RecordKind::Failed, net::kScRecv, foundation::kWSAECONNABORTED};
  std::uint8_t head[2];
  int received = net::sc_recv(socket, 2, head, net::kRecvExact, wait_ms);
  if (received != 2) return receive_failure(received);
  const int length = print_record_payload_length(head[0], head[1]);
  if (length < 0) return {RecordKind::End, 0, 0};
  payload.resize(static_cast<std::size_t>(length));
  received = net::sc_recv(socket, length, payload.data(), net::kRecvExact, wait_ms);
  if (received != length) {
    payload.resize(received > 0 ? static_cast<std::size_t>(received) : 0);
    return receive_failure(received);
  }
  return {RecordKind::Data, 0, 0};
}

// ---- printing a spooled job ----------------------------------------------------------------

// The error number of a job cancelled in its job window.
constexpr int kCancelledJob = -1;

struct PrintOutcome {
  bool ok = true;
  int error = 0;  // the message number of the failure
};

PrintOutcome failed(int message) {
  return {false, message};
}

PrintOutcome print_language_job(const JobHeader& header, SpoolFile& spool, const QString& peer,
                                const PrintEnvironment& env,
                                const std::shared_ptr<std::atomic<bool>>& cancel) {
  const QString origin = QString::fromStdU16String(header.origin);
  const QString printer = QString::fromStdU16String(header.printer);
  const std::span<const std::uint8_t> data = spool.contents();
  if (spool.size() > 0 && data.empty()) {
    report_print_error(
        {40324, spool.error(), kLocationReadStream, print_message(40324, spool.error())},
        header.interactive());
    return failed(40324);
  }
  const QString document = QStringLiteral("KOVW Print Job %1@%2").arg(origin, peer);
  OpenedPrinter opened = dp_access(printer, origin, document, env, cancel.get());
  if (!opened.target) {
    report_print_error({opened.message, opened.system_error, opened.location,
                        print_message(opened.message, utf8(opened.name).c_str())},
                       header.interactive());
    return failed(opened.message);
  }
  std::unique_ptr<JobWindowHandle> window;
  if (header.interactive())
    window = std::make_unique<JobWindowHandle>(
        job_window_title(origin, peer), job_window_printer(opened.name, opened.driver), cancel);
  PainterPrintDevice device(*opened.target);
  JobErrorSink errors(header.interactive());
  PrintOptions options;
  options.print_bold = env.print_bold;
  const InterpretResult result =
      interpret_print_stream(device, data, options, &errors, cancel.get());
  if (device.pages() == 0) opened.target->finish(false);  // nothing was printed: no file left
  if (logging()) {
    foundation::log_printf("dp_print: %d Seiten auf %s%s", result.pages, utf8(opened.name).c_str(),
                           result.cancelled ? " (abgebrochen)" : "");
  }
  if (result.failed) return failed(result.message);
  // A job the user cancelled did not print: the host is not told it finished.
  if (result.cancelled) return failed(kCancelledJob);
  if (!device.finished_ok()) {
    report_print_error({40284, 0, kLocationOpenPrinter, print_message(40284, 40319)},
                       header.interactive());
    return failed(40319);
  }
  return {};
}

PrintOutcome print_spooled(const JobHeader& header, SpoolFile& spool, const QString& peer,
                           const PrintEnvironment& env,
                           const std::shared_ptr<std::atomic<bool>>& cancel) {
  if (header.print_language()) return print_language_job(header, spool, peer, env, cancel);
  const QString origin = QString::fromStdU16String(header.origin);
  if (!spool.flush()) {
    report_print_error(
        {40324, spool.error(), kLocationReadStream, print_message(40324, spool.error())},
        header.interactive());
    return failed(40324);
  }
  const RawPrintResult raw =
      print_raw_file(QString::fromStdU16String(header.printer), spool.path(), origin, env);
  if (raw.message != 0) {
    report_print_error({raw.message, raw.system_error, kLocationRawPrint,
                        raw.message == 40311 || raw.message == 40314
                            ? print_message(raw.message, utf8(raw.printer).c_str())
                            : print_message(raw.message, raw.system_error)},
                       header.interactive());
    return failed(raw.message);
  }
  return {};
}

// ---- the job ------------------------------------------------------------------------------

class Job {
 public:
  Job(int socket, const QString& peer, const PrintEnvironment& env)
      : socket_(socket), peer_(peer), env_(env) {}

  void status(int code, const std::string& utf8_text) {
    send_print_status(socket_, code, host_status_text(utf8_text), false, env_.send_timeout_ms);
  }

  void transmission_error(const RecordRead& read) {
    status(kStatusError, print_message(40285, read.result, read.error));
  }

  void serve(const std::shared_ptr<std::atomic<bool>>& cancel);

 private:
  void spooled(const JobHeader& header, const std::shared_ptr<std::atomic<bool>>& cancel);
  void direct(const JobHeader& header, const std::shared_ptr<std::atomic<bool>>& cancel);

  int socket_;
  QString peer_;
  const PrintEnvironment& env_;
  std::string origin_, printer_;  // UTF-8, for the status texts
};

void Job::serve(const std::shared_ptr<std::atomic<bool>>& cancel) {
  // 1. The first data, or the job is lost without an answer.
  const int ready = net::wait_for_socket(socket_, POLLIN, env_.first_wait_ms);
  if (ready <= 0) {
    foundation::log_printf("dp_thread: %s sendet nichts (%s), Auftrag verworfen",
                           utf8(peer_).c_str(), ready == 0 ? "Zeitablauf" : "Fehler");
    return;
  }
  // 2. The job header.
  std::vector<std::uint8_t> record;
  const RecordRead read = read_print_record(socket_, env_.record_wait_ms, record);
  if (read.kind != RecordKind::Data) {
    transmission_error(read);
    return;
  }
  const JobHeader header = parse_job_header(record);
  origin_ = utf8(
      QString::fromStdU16String(header.origin.empty() ? peer_.toStdU16String() : header.origin));
  printer_ = utf8(QString::fromStdU16String(header.printer));
  if (logging()) {
    foundation::log_printf("dp_thread: Auftrag Modus %d von %s auf \"%s\", Format %s", header.mode,
                           origin_.c_str(), printer_.c_str(), header.format.c_str());
  }
  // 3. Spooled, direct, or refused.
  if (header.spooled()) {
    spooled(header, cancel);
  } else if (header.direct()) {
    direct(header, cancel);
  } else {
    status(kStatusError, print_message(40286, header.mode));
  }
}

void Job::spooled(const JobHeader& header, const std::shared_ptr<std::atomic<bool>>& cancel) {
  SpoolFile spool;
  if (!spool.create(env_.cache_directory, env_.temporary_directory)) {
    status(kStatusError, print_message(40294, spool.error(), env_.cache_directory.c_str()));
    return;
  }
  status(kStatusAccepted, print_message(40282, origin_.c_str(), printer_.c_str()));
  // 4. The data, up to the empty record.
  std::vector<std::uint8_t> record;
  RecordRead read;
  for (;;) {
    read = read_print_record(socket_, env_.record_wait_ms, record);
    if (read.kind != RecordKind::Data) break;
    if (!spool.append(record)) {
      status(kStatusError, print_message(40294, spool.error(), utf8(spool.path()).c_str()));
      return;
    }
  }
  if (read.kind != RecordKind::End) {
    // The connection broke off: the complete records of a print-language job are printed.
    foundation::log_printf("dp_thread: Verbindung zu %s nach %llu Bytes unterbrochen (%d/%d)",
                           utf8(peer_).c_str(), static_cast<unsigned long long>(spool.size()),
                           read.result, read.error);
    if (header.print_language() && spool.size() > 0)
      print_spooled(header, spool, peer_, env_, cancel);
    transmission_error(read);
    return;
  }
  // 5. Print, answer, and the spool file goes with `spool`.
  const PrintOutcome outcome = print_spooled(header, spool, peer_, env_, cancel);
  if (outcome.ok)
    status(kStatusFinished, print_message(40283, printer_.c_str(), origin_.c_str()));
  else
    status(kStatusError, print_message(40284, outcome.error));
}

void Job::direct(const JobHeader& header, const std::shared_ptr<std::atomic<bool>>& cancel) {
  const std::string accepted = direct_accepted_text(
      host_status_text(print_message(40282, origin_.c_str(), printer_.c_str())), env_.version_word,
      env_.computer_name);
  send_print_status(socket_, kStatusAccepted, accepted, true, env_.send_timeout_ms);
  const DirectPrintResult result = direct_print_loop(socket_, header, peer_, env_, *cancel);
  if (result.ok) {
    status(kStatusFinished, print_message(40283, printer_.c_str(), origin_.c_str()));
  } else if (result.message == 10037) {
    status(kStatusError, print_message(10037, utf8(peer_).c_str(), result.result, result.error));
  } else {
    status(kStatusError, print_message(40284, result.message));
  }
}

// ---- the running jobs ----------------------------------------------------------------------

struct RunningJob {
  int socket;
  std::shared_ptr<std::atomic<bool>> cancel;
};

struct Registry {
  std::mutex mutex;
  std::condition_variable ended;
  std::list<RunningJob> jobs;
};

Registry& registry() {
  static Registry r;
  return r;
}

void run_job(int socket, QString peer, PrintEnvironment env,
             std::shared_ptr<std::atomic<bool>> cancel) {
  pthread_setname_np(pthread_self(), "dp_thread KOVW");
  foundation::log_set_thread_name("dp_thread KOVW Print");
  print_service(socket, peer, env, cancel);
  Registry& r = registry();
  std::unique_lock lock(r.mutex);
  // Out of the list before the socket closes: cancel_print_jobs must not reach its number when
  // it already belongs to another connection.
  r.jobs.remove_if([&](const RunningJob& job) { return job.cancel == cancel; });
  net::sc_close(socket);
  r.ended.notify_all();
}

}  // namespace

bool send_print_status(int socket, int code, const std::string& text, bool explicit_length,
                       int timeout_ms) {
  const StatusRecord record = build_status_record(code, text, explicit_length);
  const int sent = net::sc_send(socket, static_cast<int>(record.size()), record.data(), timeout_ms);
  if (logging()) {
    foundation::log_printf("dp_status: %d \"%.*s\" -> %d", code,
                           static_cast<int>(std::min(text.find('\0'), text.size())), text.c_str(),
                           sent);
  }
  return sent == static_cast<int>(record.size());
}

int print_service(int socket, const QString& peer, const PrintEnvironment& env,
                  const std::shared_ptr<std::atomic<bool>>& cancel) {
  Job job(socket, peer, env);
  job.serve(cancel);
  return 0;
}

void start_print_job(int socket, const QString& peer) {
  start_print_job(socket, peer, current_print_environment());
}

void start_print_job(int socket, const QString& peer, const PrintEnvironment& env) {
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  Registry& r = registry();
  {
    std::lock_guard lock(r.mutex);
    r.jobs.push_back({socket, cancel});
  }
  try {
    std::thread(run_job, socket, peer, env, cancel).detach();
  } catch (const std::system_error& e) {
    {
      std::lock_guard lock(r.mutex);
      r.jobs.remove_if([&](const RunningJob& job) { return job.cancel == cancel; });
    }
    net::sc_close(socket);
    foundation::show_message_number(nullptr, 0, e.code().value(), "KOVW Print", 10040);
  }
}

int running_print_jobs() {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  return static_cast<int>(r.jobs.size());
}

void cancel_print_jobs() {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  for (RunningJob& job : r.jobs) {
    job.cancel->store(true);
    ::shutdown(job.socket, SHUT_RDWR);  // wakes the job's waits
  }
}

bool wait_for_print_jobs(int timeout_ms) {
  Registry& r = registry();
  std::unique_lock lock(r.mutex);
  return r.ended.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                          [&] { return r.jobs.empty(); });
}

}  // namespace kovw::print
