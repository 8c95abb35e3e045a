// The page history of a graphics window: pages stored in files of their own, read back whole,
// and files that are not whole refused.

#include "graphics/page_history.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "graphics/page_file.h"
#include "support/test_application.h"

namespace kovw::graphics {
namespace {

QImage filled(QColor colour) {
  QImage image(30, 20, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}

TEST(PageHistoryTest, PagesAreStoredInTheirOwnFilesAndGoWithTheHistory) {
  kovw::test::application();
  QTemporaryDir dir;
  std::vector<std::string> files;
  {
    PageHistory history(dir.path().toStdString(), 0x1f);
    ASSERT_TRUE(history.store(filled(Qt::red), "Q1"));
    ASSERT_TRUE(history.store(filled(Qt::blue), ""));
    ASSERT_EQ(2u, history.pages().size());
    EXPECT_EQ(2, history.pages()[1].number);
    EXPECT_EQ("Q1", history.pages()[0].title);
    for (const auto& page : history.pages()) {
      files.push_back(page.file);
      // "SAVE", the process number in hex, a 16-digit time stamp, the counter, "RBM".
      const QString name = QFileInfo(QString::fromStdString(page.file)).fileName();
      EXPECT_TRUE(name.startsWith("SAVE1f_")) << name.toStdString();
      EXPECT_TRUE(name.endsWith(QString("_%1.RBM").arg(page.number))) << name.toStdString();
      EXPECT_EQ(QString("SAVE1f_").size() + 16 + 1, name.indexOf('_', 7) + 1);
    }
    EXPECT_EQ(QColor(Qt::red), history.load(0).pixelColor(5, 5));
    EXPECT_EQ(QColor(Qt::blue), history.load(1).pixelColor(29, 19));
    EXPECT_TRUE(history.load(2).isNull());
    history.show(1);
    EXPECT_EQ(1, history.shown());
    history.show(7);
    EXPECT_EQ(-1, history.shown());
  }
  for (const std::string& file : files) EXPECT_FALSE(QFile::exists(QString::fromStdString(file)));
}

TEST(PageHistoryTest, APageFileThatIsNotWholeIsRefused) {
  std::uint8_t header[kPageHeaderSize];
  put_page_file_header(header, 2, 3);
  std::vector<std::uint8_t> file(header, header + kPageHeaderSize);
  file.resize(kPageHeaderSize + 2 * 4 * 3, 0x7f);
  EXPECT_TRUE(page_file_header(file));
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"a row short", {file.begin(), file.end() - 8}});
  cases.push_back({"a byte too many", file});
  cases.back().bytes.push_back(0);
  cases.push_back({"no header", {file.begin(), file.begin() + 10}});
  auto lying = file;
  lying[12] = 9;  // bytes per row that do not fit the width
  cases.push_back({"row size", lying});
  auto huge = file;
  std::memset(huge.data() + 4, 0xff, 4);  // a width of 4 billion
  cases.push_back({"width", huge});
  auto magic = file;
  magic[0] = 'X';
  cases.push_back({"magic", magic});
  for (const Case& c : cases) {
    EXPECT_FALSE(page_file_header(c.bytes)) << c.what;
    EXPECT_TRUE(decode_page_bytes(c.bytes).isNull()) << c.what;
  }
}

}  // namespace
}  // namespace kovw::graphics
