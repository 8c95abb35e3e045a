#include "graphics/page_history.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "foundation/atomic_file.h"
#include "foundation/log.h"
#include "graphics/page_file.h"

namespace kovw::graphics {

bool write_page_file(const std::string& path, const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) return false;
  std::uint8_t header[kPageHeaderSize];
  put_page_file_header(header, static_cast<std::uint32_t>(image.width()),
                       static_cast<std::uint32_t>(image.height()));
  const auto row = static_cast<std::size_t>(image.width()) * 4;
  foundation::AtomicFile file;
  if (file.open(path) != 0 || file.write({header, kPageHeaderSize}) != 0) return false;
  for (int y = 0; y < image.height(); ++y)
    if (file.write({image.constScanLine(y), row}) != 0) return false;
  return file.commit() == 0;
}

QImage decode_page_bytes(std::span<const std::uint8_t> file) {
  const auto header = page_file_header(file);
  if (!header) return {};
  QImage image(static_cast<int>(header->width), static_cast<int>(header->height),
               QImage::Format_ARGB32);
  if (image.isNull()) return {};
  for (std::uint32_t y = 0; y < header->height; ++y)
    std::memcpy(image.scanLine(static_cast<int>(y)),
                file.data() + kPageHeaderSize + std::size_t{header->row_bytes} * y,
                header->row_bytes);
  return image;
}

QImage read_page_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  return decode_page_bytes(bytes);
}

PageHistory::PageHistory(std::string folder, std::uint32_t process)
    : folder_(std::move(folder)), process_(process) {}

PageHistory::~PageHistory() {
  discard_all();
}

std::string PageHistory::next_file_name() {
  const auto stamp =
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  std::string folder = folder_;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  char name[96];
  std::snprintf(name, sizeof name, "SAVE%x_%.8x%.8x_%d.%s", process_,
                static_cast<unsigned>(stamp >> 32), static_cast<unsigned>(stamp & 0xFFFFFFFFu),
                ++counter_, "RBM");
  return folder + name;
}

bool PageHistory::store(const QImage& picture, const QString& title) {
  const std::string file = next_file_name();
  if (!write_page_file(file, picture)) {
    foundation::log_printf("Kann Speicherseite %s nicht anlegen.", file.c_str());
    return false;
  }
  pages_.push_back(Page{static_cast<int>(pages_.size()) + 1, title, file});
  return true;
}

void PageHistory::discard_all() {
  for (const Page& page : pages_) std::remove(page.file.c_str());
  pages_.clear();
  shown_ = -1;
}

QImage PageHistory::load(std::size_t index) const {
  if (index >= pages_.size()) return {};
  return read_page_file(pages_[index].file);
}

void PageHistory::show(int index) {
  shown_ = (index >= 0 && index < static_cast<int>(pages_.size())) ? index : -1;
}

}  // namespace kovw::graphics
