#pragma once
// The print port: the listening socket on which hosts deliver print jobs (with -ok, unless
// the print service is switched off or in workflow mode). A fixed port is guarded across
// processes, so that a second workstation on the machine leaves it to the first; an automatic
// port is searched upwards from the setting. Accepted connections become print jobs.

#include <QObject>
#include <memory>

class QLockFile;
class QSocketNotifier;

namespace kovw::print {

class PrintPort : public QObject {
  Q_OBJECT

 public:
  // `owner` shows the failures (the main window).
  explicit PrintPort(QObject* parent = nullptr, void* owner = nullptr);
  ~PrintPort() override;

  // Opens the socket on `port` (searching upwards when `automatic`). Returns false when it is
  // not opened: another workstation serves the fixed port (no message), or the socket failed
  // (message 10039, caption "KOVW").
  bool open(int port, bool automatic);
  // The port listened on, 0 when none.
  int port() const { return port_; }

 private:
  void accept_job();

  void* owner_;
  int socket_ = -1;
  int port_ = 0;
  QSocketNotifier* notifier_ = nullptr;
  std::unique_ptr<QLockFile> guard_;
};

// Everything the workstation does for printing once its main window exists: print links of
// the daemon's print events become jobs, the print port opens when listening is asked for
// (the port goes to the login), and the jobs still running are cancelled when the workstation
// ends.
void install_print_service(QObject* main_window, bool open_ports);

}  // namespace kovw::print
