#pragma once
// The page history of a graphics window: pictures the host asked to keep, each in a file of
// its own in the temporary folder, numbered in the order stored, with an optional title. The
// user pages through them while the live picture goes on being drawn behind. The files go when
// the pages are discarded or the history ends.

#include <QImage>
#include <QString>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kovw::graphics {

class PageHistory {
 public:
  // Pages are written into `folder`; `process` and the clock make the file names unique.
  explicit PageHistory(std::string folder, std::uint32_t process = 0);
  ~PageHistory();
  PageHistory(const PageHistory&) = delete;
  PageHistory& operator=(const PageHistory&) = delete;

  struct Page {
    int number = 0;  // 1, 2, ... in the order stored
    QString title;
    std::string file;
  };

  // Writes `picture` into a new page file; false when it cannot be written (the log line
  // names the file, nothing is stored).
  bool store(const QImage& picture, const QString& title);
  // Removes every page and its file; the live picture is shown again.
  void discard_all();
  // The picture of page `index` (0-based) read back from its file; null when the file is gone
  // or not whole.
  QImage load(std::size_t index) const;

  const std::vector<Page>& pages() const { return pages_; }
  bool empty() const { return pages_.empty(); }
  // The page shown instead of the live picture, -1 while the live picture is shown.
  int shown() const { return shown_; }
  void show(int index);

 private:
  // The name of the next page file: temporary folder, "SAVE", the process number in hex, the
  // time stamp as 16 hex digits, the counter and the extension "RBM".
  std::string next_file_name();

  std::string folder_;
  std::uint32_t process_ = 0;
  int counter_ = 0;
  int shown_ = -1;
  std::vector<Page> pages_;
};

// A page file (graphics/page_file.h) written whole or not at all, and read back; a file that is
// not whole gives a null picture.
bool write_page_file(const std::string& path, const QImage& picture);
QImage read_page_file(const std::string& path);
QImage decode_page_bytes(std::span<const std::uint8_t> file);

}  // namespace kovw::graphics
