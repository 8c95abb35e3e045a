#pragma once
// The printer that the commands of a direct print link draw on. A print job whose header asks
// for direct printing serves its connection as a program link: each message goes through the
// program command dispatcher with a session that has no windows and this output. Handlers that
// draw for a host (graphics output) use it in place of a window.

class QPainter;

namespace kovw::session {

class PrintOutput {
 public:
  virtual ~PrintOutput() = default;
  // The painter of the current page: the document starts with the first call, and a new page
  // when the last one was ended. Null when the printer cannot be opened or the job was
  // cancelled.
  virtual QPainter* page() = 0;
  // Ends the current page; the next page() starts a new one.
  virtual void end_page() = 0;
  // Dots per inch of the printer.
  virtual int resolution() const = 0;
  virtual bool cancelled() const = 0;
};

}  // namespace kovw::session
