// Graphics windows end to end: the host defines a window, draws into it with the stream and
// ends it; the reply, the acknowledgements and the picture and tooltips the user sees.

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <cstring>

#include "graphics/graphics_definition.h"
#include "graphics/graphics_input.h"
#include "graphics/stream_opcodes.h"
#include "graphics/stream_test_support.h"
#include "graphics/view/graphics_field_widget.h"
#include "graphics/view/graphics_sub_window.h"
#include "graphics/view/graphics_window_widget.h"
#include "protocol/payload_codec.h"
#include "protocol/program/window_service.h"
#include "session/program/print_output.h"
#include "session/session_fixture.h"
#include "session/view/frame_widgets.h"

namespace kovw::session::test {
namespace {

using graphics::Stream;
using graphics::with_length;

class GraphicsWindowsTest : public SessionTest {
 protected:
  // A program with a graphics screen; `version` is its host library.
  QWidget* program(HostPeer& peer, int pid, int version = 0x070305) {
    const auto ids = init_program(peer, pid, "graphics", {version});
    EXPECT_GT(define_screen(peer, "Chart", 2, 400, 200, 20, 20), 0);
    QWidget* main = nullptr;
    EXPECT_TRUE(wait_until([&] {
      main = registered_window(ids[1]);
      return main != nullptr && main->isVisible();
    }));
    return main;
  }
  static graphics::GraphicsDefinition definition(int mode) {
    graphics::GraphicsDefinition d;
    d.mode = mode;
    d.record.set32(76, 1000);  // world 1000 x 500 in an area of 400 x 200
    d.record.set32(80, 500);
    d.record.set16(70, 400);
    d.record.set16(72, 200);
    d.record.set16(96 + 4, 255);  // a white background asked for
    d.record.set16(96 + 6, 255);
    d.record.set16(96 + 8, 255);
    d.record.set16(96 + 10, 0x0003);
    const char title[] = "Sales";
    for (std::size_t i = 0; i < 5; ++i) d.record.set8(168 + i, title[i]);
    return d;
  }
  static graphics::GraphicsDefinition reply(HostPeer& peer) {
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(net::KWD_DIGRA, message.service);
    EXPECT_EQ(net::KWK_GDIGRA, message.type);
    // The reply starts like a definition: mode, record, flags.
    net::FieldCursor at(payload);
    graphics::GraphicsDefinition d;
    d.mode = net::get_int_field(at);
    std::vector<std::uint8_t> record(graphics::kWindowRecordSize);
    std::size_t length = 0;
    EXPECT_GT(net::get_tagged_field(at, record, &length, graphics::kWindowRecordTag), 0);
    d.record = graphics::WindowRecord(record);
    d.flags = net::get_int_field(at);
    // Then the display record and the geometry record.
    std::vector<std::uint8_t> display(graphics::kDisplayRecordSize);
    std::vector<std::uint8_t> geometry(graphics::kGeometryRecordSize);
    if (d.mode == graphics::kDefine) {
      EXPECT_GT(net::get_tagged_field(at, display, &length, graphics::kDisplayRecordTag), 0);
    }
    if (d.record.u16(38) & graphics::kReplyGeometry) {
      EXPECT_GT(net::get_tagged_field(at, geometry, &length, graphics::kGeometryRecordTag), 0);
      d.extended = geometry;
    }
    EXPECT_FALSE(at.failed);
    return d;
  }
  static void define(HostPeer& peer, const graphics::GraphicsDefinition& d) {
    ASSERT_GT(
        peer.send(net::KWD_DIGRA, net::KWK_GDIGRA, graphics::build_graphics_definition(d, true)),
        0);
  }
  static graphics::GraphicsWindowWidget* window(QWidget* main) {
    graphics::GraphicsWindowWidget* found = nullptr;
    wait_until([&] {
      found = main->findChild<graphics::GraphicsWindowWidget*>();
      return found != nullptr && !found->picture().isNull();
    });
    return found;
  }
  // A program with a graphics screen and its window defined: the content window and the
  // window's view (null when it did not show).
  std::pair<QWidget*, graphics::GraphicsWindowWidget*> shown_window(HostPeer& peer, int pid) {
    const auto ids = init_program(peer, pid, "graphics");
    EXPECT_GT(define_screen(peer, "Chart", 2, 400, 200, 20, 20), 0);
    define(peer, definition(graphics::kDefine));
    reply(peer);
    QWidget* content = nullptr;
    graphics::GraphicsWindowWidget* shown = nullptr;
    wait_until([&] {
      content = registered_window(ids[0]);
      shown = content ? content->findChild<graphics::GraphicsWindowWidget*>() : nullptr;
      return shown != nullptr;
    });
    return {content, shown};
  }
  // The next frame the workstation sends is the answer to a KGETWINID (no acknowledgement
  // came before it).
  void expect_no_acknowledgement(HostPeer& peer) {
    ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KGETWINID), 0);
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    ASSERT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(net::KWK_KGETWINID, message.type);
  }
};

TEST_F(GraphicsWindowsTest, TheDefinitionIsAnsweredWithTheAreaAndTheMapping) {
  HostPeer& peer = start_program();
  QWidget* main = program(peer, 80);
  define(peer, definition(graphics::kDefine));
  const graphics::GraphicsDefinition answer = reply(peer);
  EXPECT_EQ(1, answer.mode);
  EXPECT_EQ(0, answer.record.i32(56));
  EXPECT_EQ(0, answer.record.i16(2));
  EXPECT_EQ(400u, answer.record.u16(70));
  EXPECT_EQ(200u, answer.record.u16(72));
  EXPECT_EQ(2500, answer.record.i32(312));  // world units per 1000 pixels
  EXPECT_EQ(graphics::kReplyWindowRect | graphics::kReplyGeometry, answer.record.u16(38));
  ASSERT_EQ(graphics::kGeometryRecordSize, answer.extended.size());
  EXPECT_EQ(400, answer.extended[4] | (answer.extended[5] << 8));  // device width
  EXPECT_EQ(2, answer.extended[16]);                               // x numerator 2 / 5
  EXPECT_EQ(5, answer.extended[20]);
  graphics::GraphicsWindowWidget* shown = window(main);
  ASSERT_NE(nullptr, shown);
  EXPECT_EQ(QSize(400, 200), shown->picture().size());
  EXPECT_TRUE(main->windowTitle().contains("Sales")) << main->windowTitle().toStdString();

  // Element operations are refused with 7 once the definition has ended.
  define(peer, definition(graphics::kEndDefinition));
  EXPECT_EQ(0, reply(peer).record.i32(56));
  EXPECT_TRUE(
      wait_until([&] { return main->findChild<graphics::GraphicsWindowWidget*>() == nullptr; }));
  graphics::GraphicsDefinition operation = definition(graphics::kElementOperation);
  operation.record.set16(64, 30);
  define(peer, operation);
  EXPECT_EQ(7, reply(peer).record.i32(56));
}

TEST_F(GraphicsWindowsTest, TheStreamDrawsWhatTheUserSeesWithTooltips) {
  HostPeer& peer = start_program();
  QWidget* main = program(peer, 81);
  define(peer, definition(graphics::kDefine));
  reply(peer);
  Stream s = with_length(0x19, Stream{}.u8(200).u8(0).u8(0));
  s.append(with_length(graphics::DB_FILL, Stream{}.u8(1)));
  // The left half of the world, bottom half: device x 0-200, y 100-200.
  s.append(with_length(
      graphics::DB_RECT,
      Stream{}.u8(0).u16(0).u16(0).u8(0).u8(0).i32(0).i32(0).i32(500).i32(250).u8(0).u16(0)));
  s.append(with_length(graphics::DB_SENSE, Stream{}
                                               .u16(graphics::kSenseAdd)
                                               .u16(5)
                                               .i32(1)
                                               .i32(0)
                                               .i32(0)
                                               .i32(500)
                                               .i32(250)
                                               .i32(0)
                                               .text("Q1 40")));
  s.append(with_length(graphics::DB_FLUSH, Stream{}));
  ASSERT_GT(peer.send(net::KWD_STREAM, net::KWK_SDLEN, s.bytes), 0);
  expect_no_acknowledgement(peer);  // a host library after 5.3.2 gets none
  graphics::GraphicsWindowWidget* shown = nullptr;
  ASSERT_TRUE(wait_until([&] {
    shown = main->findChild<graphics::GraphicsWindowWidget*>();
    return shown && !shown->picture().isNull() &&
           shown->picture().pixelColor(50, 150) == QColor(200, 0, 0);
  }));
  EXPECT_EQ(QColor(255, 255, 255), shown->picture().pixelColor(300, 50));
  EXPECT_EQ("Q1 40", shown->tooltip_at(QPoint(50, 150)));
  EXPECT_EQ("", shown->tooltip_at(QPoint(300, 50)));
}

// The answer to a graphics input request: kind, key, world x and y, device x and y.
std::vector<std::int32_t> input_answer(HostPeer& peer) {
  net::LinkMessage message;
  std::vector<std::uint8_t> payload;
  EXPECT_EQ(1, peer.receive(message, payload));
  EXPECT_EQ(net::KWD_DIGRA, message.service);
  EXPECT_EQ(net::KWK_GGET, message.type);
  net::FieldCursor at(payload);
  std::vector<std::int32_t> values;
  for (int i = 0; i < 6; ++i) values.push_back(net::get_int_field(at));
  EXPECT_FALSE(at.failed);
  return values;
}

std::vector<std::uint8_t> ints(std::initializer_list<std::int32_t> values) {
  std::vector<std::uint8_t> payload;
  protocol::PayloadWriter out(payload);
  for (const std::int32_t v : values) out.int_field(v);
  return payload;
}

TEST_F(GraphicsWindowsTest, GraphicsInputAnswersWithClicksKeysAndTimeOuts) {
  HostPeer& peer = start_program();
  const auto window = shown_window(peer, 83);
  QWidget* content = window.first;
  graphics::GraphicsWindowWidget* shown = window.second;
  ASSERT_NE(nullptr, shown);
  // A click while the host waits: the world position of (100, 150) is (250, 122):
  // (150 - 199) x 5 / -2, truncated.
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GGET, ints({0, 0})), 0);
  QTest::qWait(50);
  QTest::mouseClick(shown, Qt::LeftButton, {}, QPoint(100, 150));
  EXPECT_EQ((std::vector<std::int32_t>{graphics::kInputClick, 1, 250, 122, 100, 150}),
            input_answer(peer));
  // A key typed before the request waits in the ring and answers the next one at once.
  QTest::keyClick(content, 'A', Qt::ShiftModifier);
  QTest::qWait(50);
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GGET, ints({0, 0})), 0);
  const auto key = input_answer(peer);
  EXPECT_EQ(graphics::kInputKey, key[0]);
  EXPECT_EQ(0x41, key[1]);
  // Nothing comes within 800 ms: the time-out answers.
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GGET, ints({0, 1})), 0);
  EXPECT_EQ(graphics::kInputTimeOut, input_answer(peer)[0]);
  // Answer at once with nothing waiting.
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GGET, ints({graphics::kGetAnswerAtOnce, 0})), 0);
  EXPECT_EQ(graphics::kInputNone, input_answer(peer)[0]);
}

TEST_F(GraphicsWindowsTest, PositionsConvertByModeAndElementOperationsAnswerTheirResults) {
  HostPeer& peer = start_program();
  program(peer, 85);
  define(peer, definition(graphics::kDefine));
  reply(peer);
  struct Case {
    std::int32_t value, mode, second;
    std::vector<std::int32_t> answer;
  };
  // 2/5 pixel per unit; y counts upwards from row 199.
  for (const Case& c : {Case{100, 1, 0, {250}}, Case{199, 2, 0, {0}}, Case{40, 3, 99, {100, 250}},
                        Case{7, 5, 7, {7, 7}}, Case{100, 11, 0, {250}}}) {
    ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GPOS, ints({c.value, c.mode, c.second, 0})), 0);
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    ASSERT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(net::KWK_GPOS, message.type);
    EXPECT_EQ(c.answer, read_ints(payload)) << "mode " << c.mode;
  }
  auto operation = [&](int number) {
    graphics::GraphicsDefinition step = definition(graphics::kElementOperation);
    step.record.set16(64, number);
    define(peer, step);
    return reply(peer).record.i32(56);
  };
  EXPECT_EQ(4, operation(99));
  for (int i = 0; i < 20; ++i) ASSERT_EQ(0, operation(33));
  EXPECT_EQ(119, operation(33));
  EXPECT_EQ(0, operation(34));
  EXPECT_EQ(0, operation(33));
}

TEST_F(GraphicsWindowsTest, FontInformationMeasuresTheRequestedFontInTheWindowsWorld) {
  HostPeer& peer = start_program();
  program(peer, 84);
  define(peer, definition(graphics::kDefine));
  reply(peer);
  // Font 1 is "Arial" (DB_SETFONT); a world unit is 0.4 pixels in this window.
  const Stream set = with_length(graphics::DB_SETFONT, Stream{}.u8(1).u16(5).text("Arial"));
  ASSERT_GT(peer.send(net::KWD_STREAM, net::KWK_SDLEN, set.bytes), 0);
  auto ask = [&](int size) {
    const auto request = protocol::build_font_request(net::KWK_GSPEAK, {1, size, 0});
    EXPECT_GT(peer.send(net::KWD_DIGRA, net::KWK_GSPEAK, request.payload), 0);
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(message, payload));
    const auto info = protocol::parse_font_info(net::KWK_GSPEAK, payload, 0x070305);
    EXPECT_TRUE(info);
    return info ? *info : protocol::FontInfo{};
  };
  const protocol::FontInfo small = ask(10);
  const protocol::FontInfo large = ask(20);
  EXPECT_EQ("Arial", small.name);
  EXPECT_GT(large.metrics[3], small.metrics[3]);  // device height grows with the size
  // World height = device height / 0.4, within the rounding of the fixed-point values.
  EXPECT_NEAR(small.metrics[0], small.metrics[3] * 5 / 2, 300);
  EXPECT_GT(small.metrics[0], small.metrics[3] * 2);

  // The last text's measurements: its width in world units and its characters; twice the
  // text is twice as wide.
  auto measure = [&](const std::string& words) {
    Stream text = with_length(graphics::DB_FONT, Stream{}.u8(0).u8(1).u16(12).u16(0));
    text.append(
        with_length(graphics::DB_TEXT,
                    Stream{}.u16(static_cast<int>(words.size())).i32(100).i32(100).text(words)));
    EXPECT_GT(peer.send(net::KWD_STREAM, net::KWK_SDLEN, text.bytes), 0);
    EXPECT_GT(peer.send(net::KWD_DIGRA, net::KWK_GTLEN), 0);
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(net::KWK_GTLEN, message.type);
    return read_ints(payload);
  };
  const auto once = measure("Sales");
  const auto twice = measure("SalesSales");
  ASSERT_EQ(4u, once.size());
  ASSERT_EQ(4u, twice.size());
  EXPECT_GT(once[0], 0);
  EXPECT_EQ(5, once[2]);
  EXPECT_EQ(10, twice[2]);
  EXPECT_NEAR(2.0 * once[0], twice[0], 5);
}

// A printer that writes a PDF file, in place of the print service's jobs.
class PdfOutput : public PrintOutput {
 public:
  explicit PdfOutput(const QString& path) : writer_(path) {
    writer_.setResolution(300);
    writer_.setPageSize(QPageSize(QPageSize::A4));
    writer_.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
  }
  ~PdfOutput() override {
    if (painter_.isActive()) painter_.end();
  }
  bool open() override { return true; }
  void set_orientation(int orientation) override {
    writer_.setPageOrientation(orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
  }
  bool set_paper(double width_mm, double height_mm) override {
    return writer_.setPageSize(QPageSize(QSizeF(width_mm, height_mm), QPageSize::Millimeter));
  }
  bool set_source(int) override { return false; }  // a file has no paper sources
  QSize printable_dots() const override {
    return writer_.pageLayout().paintRectPixels(writer_.resolution()).size();
  }
  QSizeF printable_mm() const override {
    return writer_.pageLayout().paintRect(QPageLayout::Millimeter).size();
  }
  QPainter* page() override {
    if (!painter_.isActive()) {
      painter_.begin(&writer_);
    } else if (!page_open_) {
      writer_.newPage();
    }
    page_open_ = true;
    return &painter_;
  }
  void end_page() override { page_open_ = false; }
  int resolution() const override { return writer_.resolution(); }
  bool cancelled() const override { return false; }

 private:
  QPdfWriter writer_;
  QPainter painter_;
  bool page_open_ = false;
};

QString run_tool(const QString& tool, const QStringList& arguments) {
  QProcess process;
  process.start(tool, arguments);
  process.waitForFinished(20000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(GraphicsWindowsTest, APrintJobDrawsItsPagesOnThePrinter) {
  const QString path = QDir::temp().filePath(
      QStringLiteral("graphics_print_%1.pdf").arg(QCoreApplication::applicationPid()));
  QFile::remove(path);
  SessionHost host = *session_host();
  std::string asked_printer;
  host.open_print_job = [&](const std::string& printer, const std::string&, bool) {
    asked_printer = printer;
    return std::unique_ptr<PrintOutput>(new PdfOutput(path));
  };
  set_session_host(std::move(host));
  HostPeer& peer = start_program();
  init_program(peer, 86, "printing");
  // A world of 19000 x 25000 hundredths of a millimetre: one A3 page in portrait, the paper
  // the window options ask for.
  graphics::GraphicsDefinition job = definition(graphics::kDefine);
  job.record.set32(76, 19000);
  job.record.set32(80, 25000);
  job.options.assign(graphics::kWindowOptionsSize, 0);
  job.options[108] = 2;
  const std::string printer = "PDF";
  std::copy(printer.begin(), printer.end(), job.options.begin() + 52);
  ASSERT_GT(
      peer.send(net::KWD_DIGRA, net::KWK_PDIGRA, graphics::build_graphics_definition(job, true)),
      0);
  const graphics::GraphicsDefinition answer = reply(peer);
  EXPECT_EQ(0, answer.record.i32(56));
  EXPECT_EQ("PDF", asked_printer);
  EXPECT_EQ(19000, answer.record.i32(76));
  auto text = [](int x, int y, const std::string& words) {
    Stream s = with_length(graphics::DB_SETFONT, Stream{}.u8(1).u16(5).text("Arial"));
    s.append(with_length(graphics::DB_FONT, Stream{}.u8(0).u8(1).u16(12).u16(0)));
    s.append(with_length(graphics::DB_TEXT,
                         Stream{}.u16(static_cast<int>(words.size())).i32(x).i32(y).text(words)));
    return s;
  };
  ASSERT_GT(peer.send(net::KWD_STREAM, net::KWK_SDLEN, text(2000, 22000, "Invoice 4711").bytes), 0);
  graphics::GraphicsDefinition page_end = definition(graphics::kElementOperation);
  page_end.record.set16(64, 5);
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_PDIGRA,
                      graphics::build_graphics_definition(page_end, true)),
            0);
  EXPECT_EQ(0, reply(peer).record.i32(56));
  ASSERT_GT(peer.send(net::KWD_STREAM, net::KWK_SDLEN, text(2000, 22000, "Delivery note").bytes),
            0);
  ASSERT_GT(
      peer.send(net::KWD_DIGRA, net::KWK_PDIGRA,
                graphics::build_graphics_definition(definition(graphics::kEndDefinition), true)),
      0);
  EXPECT_EQ(0, reply(peer).record.i32(56));
  ASSERT_TRUE(QFile::exists(path));
  const QString info = run_tool("pdfinfo", {path});
  EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2")));
  EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+84[12].* x 119[01].*A3")))
      << info.toStdString();
  const QString first = run_tool("pdftotext", {"-f", "1", "-l", "1", path, "-"});
  const QString second = run_tool("pdftotext", {"-f", "2", "-l", "2", path, "-"});
  EXPECT_TRUE(first.contains("Invoice 4711")) << first.toStdString();
  EXPECT_TRUE(second.contains("Delivery note")) << second.toStdString();
  QFile::remove(path);
}

TEST_F(GraphicsWindowsTest, AWindowInsideTheMainOneScrollsOverItsSegments) {
  HostPeer& peer = start_program();
  QWidget* main = program(peer, 87);
  define(peer, definition(graphics::kDefine));
  reply(peer);
  // A window 200 x 100 pixels at (10, 10) of the main one, higher than its place; the
  // workstation chooses its identifier.
  graphics::GraphicsDefinition sub = definition(graphics::kElementOperation);
  sub.record.set16(64, 44);
  sub.record.set16(66, 0x0020);
  sub.record.set32(68, -1);
  sub.record.set32(72, 10);
  sub.record.set32(76, 10);
  sub.record.set32(80, 200);
  sub.record.set32(84, 100);
  sub.record.set16(112 + 4, 255);
  sub.record.set16(112 + 6, 255);
  sub.record.set16(112 + 8, 255);
  sub.record.set16(112 + 10, 1);
  define(peer, sub);
  const graphics::GraphicsDefinition made = reply(peer);
  EXPECT_EQ(0, made.record.i32(56));
  const std::int32_t id = made.record.i32(68);
  EXPECT_NE(0, id);
  EXPECT_NE(-1, id);
  // Rows 100-199 of its drawing area (below the place) get a red rectangle, recorded as a
  // segment: world y 222 is its row 100 and -30 its row 200 (189 - 0.4 y).
  Stream s = with_length(graphics::DB_WINOP, Stream{}.u16(1).i32(id));
  s.append(with_length(graphics::DB_WINSEG, graphics::winseg_operands(1, 0, 222, 250, -30)));
  s.append(with_length(0x19, Stream{}.u8(255).u8(0).u8(0)));
  s.append(with_length(graphics::DB_FILL, Stream{}.u8(1)));
  s.append(with_length(
      graphics::DB_RECT,
      Stream{}.u8(0).u16(0).u16(0).u8(0x10).u8(0).i32(25).i32(200).i32(225).i32(0).u8(0).u16(0)));
  s.append(with_length(graphics::DB_WINSEG, graphics::winseg_operands(3, 0, 0, 0, 0)));
  s.append(with_length(graphics::DB_WINOP, Stream{}.u16(2).i32(0)));
  s.append(with_length(graphics::DB_FLUSH, Stream{}));
  ASSERT_GT(peer.send(net::KWD_STREAM, net::KWK_SDLEN, s.bytes), 0);
  graphics::GraphicsSubWindow* shown = nullptr;
  ASSERT_TRUE(wait_until([&] {
    shown = main->findChild<graphics::GraphicsSubWindow*>();
    return shown && shown->vertical()->maximum() > 0;
  }));
  EXPECT_EQ(QRect(10, 10, 200, 100), shown->geometry());
  EXPECT_EQ(QColor(255, 255, 255), shown->view()->picture().pixelColor(40, 50));
  // The host scrolls it down by its height (operation 28, 3 with divisor 1): the segment shows.
  graphics::GraphicsDefinition down = definition(graphics::kElementOperation);
  down.record.set16(64, 28);
  down.record.set16(66, 0x8003);
  down.record.set16(68, 1);
  down.record.set32(96, id);
  define(peer, down);
  EXPECT_EQ(0, reply(peer).record.i16(70));  // it moved the whole step
  ASSERT_TRUE(wait_until([&] {
    return shown->vertical()->value() == 100 &&
           shown->view()->picture().pixelColor(40, 50) == QColor(255, 0, 0);
  }));
  // A click in it reports the position in its drawing area, scrolled as it is:
  // x (40 + 10) x 5 / 2, y (150 - 189) x 5 / -2.
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GGET, ints({0, 0})), 0);
  QTest::qWait(50);
  QTest::mouseClick(shown->view(), Qt::LeftButton, {}, QPoint(40, 50));
  EXPECT_EQ((std::vector<std::int32_t>{graphics::kInputClick, 1, 125, 97, 40, 150}),
            input_answer(peer));
  // The user drags the scroll bar back to the top.
  shown->vertical()->setValue(0);
  ASSERT_TRUE(wait_until(
      [&] { return shown->view()->picture().pixelColor(40, 50) == QColor(255, 255, 255); }));
}

TEST_F(GraphicsWindowsTest, AWindowWithOption0x20ComesBackWithItsRememberedSize) {
  HostPeer& peer = start_program();
  program(peer, 88);
  graphics::GraphicsDefinition first = definition(graphics::kDefine);
  first.record.set8(296, 0x20);
  const std::string name = "remember";
  for (std::size_t i = 0; i < 10; ++i) first.record.set8(158 + i, i < name.size() ? name[i] : ' ');
  define(peer, first);
  EXPECT_EQ(400u, reply(peer).record.u16(70));
  define(peer, definition(graphics::kEndDefinition));
  reply(peer);
  // The next definition asks for another size: the remembered one wins.
  graphics::GraphicsDefinition again = first;
  again.record.set16(70, 300);
  again.record.set16(72, 150);
  define(peer, again);
  const graphics::GraphicsDefinition answer = reply(peer);
  EXPECT_EQ(400u, answer.record.u16(70));
  EXPECT_EQ(200u, answer.record.u16(72));
  // Without the option the defined size holds.
  again.record.set8(296, 0);
  define(peer, definition(graphics::kEndDefinition));
  reply(peer);
  define(peer, again);
  EXPECT_EQ(300u, reply(peer).record.u16(70));
}

TEST_F(GraphicsWindowsTest, OldHostLibrariesGetTheirAcknowledgements) {
  HostPeer& peer = start_program();
  program(peer, 82, 0x050302);
  define(peer, definition(graphics::kDefine));
  reply(peer);
  const Stream line = with_length(graphics::DB_LWID, Stream{}.u8(2));
  for (int type : {net::KWK_SDLEN, net::KWK_SDREP}) {
    ASSERT_GT(peer.send(net::KWD_STREAM, type, line.bytes), 0);
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    ASSERT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(net::KWD_STREAM, message.service);
    EXPECT_EQ(net::KWK_SRETC, message.type);
    EXPECT_TRUE(payload.empty());
  }
  // Type 1 never waits.
  ASSERT_GT(peer.send(net::KWD_STREAM, net::KWK_SDATA, Stream{}.u8(graphics::DB_LWID).u8(1).bytes),
            0);
  expect_no_acknowledgement(peer);
}

// A key bar item with a function key.
protocol::MenuItemRecord page_key(const std::string& label, int key) {
  protocol::MenuItemRecord record{};
  std::memcpy(record.data(), label.data(), label.size());
  record[171] = 2;
  protocol::put_le16(record.data() + 172, static_cast<std::uint16_t>(key));
  return record;
}

// An input field inside the window: 8 characters of kind 1 (capitals) on the baseline at world
// (100, 250), black on white, with a help text and no preset.
graphics::GraphicsDefinition field_step(const graphics::GraphicsDefinition& base) {
  graphics::GraphicsDefinition step = base;
  step.record.set16(64, 25);
  step.record.set32(68, 100);
  step.record.set32(72, 250);
  step.record.set8(76, 1);
  step.record.set16(78, 40);
  step.record.set16(88, 8);
  for (std::size_t at : {std::size_t{92}, std::size_t{104}}) {
    const int level = at == 92 ? 0 : 255;
    step.record.set16(at + 4, static_cast<std::int16_t>(level));
    step.record.set16(at + 6, static_cast<std::int16_t>(level));
    step.record.set16(at + 8, static_cast<std::int16_t>(level));
    step.record.set16(at + 10, 0x0003);
  }
  step.element_data.assign(graphics::kInputFieldSize, 0);
  step.element_data[44] = 1;
  const std::string help = "Customer";
  std::memcpy(step.element_data.data() + 63, help.data(), help.size());
  step.element_data[302] = 'F';
  step.element_data[303] = '1';
  return step;
}

TEST_F(GraphicsWindowsTest, AnInputFieldInTheWindowTakesCapitalsAndAnswersWhenLeft) {
  HostPeer& peer = start_program();
  const auto window = shown_window(peer, 91);
  QWidget* content = window.first;
  graphics::GraphicsWindowWidget* shown = window.second;
  ASSERT_NE(nullptr, shown);
  const graphics::GraphicsDefinition step = field_step(definition(graphics::kElementOperation));
  define(peer, step);
  expect_no_acknowledgement(peer);  // the reply waits for the user
  ASSERT_TRUE(wait_until([&] { return shown->field() && shown->field()->isVisible(); }));
  // Baseline at device (40, 100): the field reaches from the ascent above it.
  const QRect place = shown->field()->geometry();
  EXPECT_EQ(40, place.left());
  EXPECT_LT(place.top(), 100);
  EXPECT_GT(place.bottom(), 100);
  QTest::keyClicks(content, "ab1");
  ASSERT_TRUE(wait_until([&] { return shown->field()->look().text.startsWith("AB1"); }));
  EXPECT_EQ(3, shown->field()->look().cursor);
  QTest::keyClick(content, Qt::Key_Return);
  const graphics::GraphicsDefinition answer = reply(peer);
  EXPECT_EQ(0, answer.record.i32(56));
  EXPECT_EQ(graphics::kInputKey, answer.record.i16(80));
  EXPECT_NE(0, answer.record.i16(82));
  EXPECT_EQ("AB1     ", answer.record.text(144, 8));
  EXPECT_TRUE(wait_until([&] { return !shown->field()->isVisible(); }));

  // A click outside a new field leaves it with the click's exit key; the click is no graphics
  // input of its own.
  define(peer, step);
  ASSERT_TRUE(wait_until([&] { return shown->field()->isVisible(); }));
  QTest::mouseClick(shown, Qt::LeftButton, {}, QPoint(300, 20));
  const graphics::GraphicsDefinition clicked = reply(peer);
  EXPECT_EQ(101, clicked.record.i16(82));
  EXPECT_EQ("        ", clicked.record.text(144, 8));
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GGET, ints({graphics::kGetAnswerAtOnce, 0})), 0);
  EXPECT_EQ(graphics::kInputNone, input_answer(peer)[0]);
}

TEST_F(GraphicsWindowsTest, APictureElementIsDrawnFromTheHostFileThroughTheCache) {
  // The host's picture comes through the file cache: here a green picture of the test's own.
  const QString file = QDir::temp().filePath("element_picture.png");
  QImage green(20, 20, QImage::Format_RGB32);
  green.fill(QColor(0, 160, 0));
  ASSERT_TRUE(green.save(file));
  SessionHost host = *session_host();
  std::vector<std::string> asked;
  host.fetch_host_file = [&asked, file](const std::string& name, const std::string&, std::string&) {
    asked.push_back(name);
    return file.toStdString();
  };
  set_session_host(host);
  HostPeer& peer = start_program();
  QWidget* main = program(peer, 92);
  define(peer, definition(graphics::kDefine));
  reply(peer);
  // The element's data are the picture command's operands: kind, the world rectangle of the
  // left half's bottom (device 0-200 x 100-200), the name, and the parameters.
  graphics::GraphicsDefinition step = definition(graphics::kElementOperation);
  step.record.set16(64, 21);
  const std::string name = "/pictures/green.png";
  Stream operands =
      Stream{}.u8(0).i32(0).i32(0).i32(500).i32(250).u16(static_cast<int>(name.size()));
  operands.text(name);
  for (int i = 0; i < 66; ++i) operands.u8(0);
  step.element_data = operands.bytes;
  define(peer, step);
  EXPECT_EQ(0, reply(peer).record.i32(56));
  EXPECT_TRUE(wait_until([&] {
    const auto* shown = main->findChild<graphics::GraphicsWindowWidget*>();
    return shown && !shown->picture().isNull() &&
           shown->picture().pixelColor(100, 150) == QColor(0, 160, 0);
  }));
  EXPECT_EQ(std::vector<std::string>{name}, asked);
  QFile::remove(file);
}

TEST_F(GraphicsWindowsTest, TheRunsFirstPageDefinitionIsKeptOnce) {
  SessionHost host = *session_host();
  auto kept = std::make_shared<std::vector<std::vector<std::uint8_t>>>();
  host.store_page_definition = [kept](std::span<const std::uint8_t> page) {
    kept->emplace_back(page.begin(), page.end());
    return 0;
  };
  host.page_definition_stored = std::make_shared<std::atomic<bool>>(false);  // a run of its own
  set_session_host(host);
  HostPeer& peer = start_program();
  program(peer, 93);
  graphics::GraphicsDefinition first = definition(graphics::kDefine);
  first.page.assign(1300, 0x11);
  define(peer, first);
  reply(peer);
  define(peer, definition(graphics::kEndDefinition));
  reply(peer);
  first.page.assign(1300, 0x22);
  define(peer, first);
  reply(peer);
  ASSERT_EQ(1u, kept->size());
  EXPECT_EQ(std::vector<std::uint8_t>(1300, 0x11), kept->front());
}

class PageHistoryTest : public GraphicsWindowsTest {
 protected:
  // A graphics program whose key bar has the page keys first, next and list (buttons 100 to
  // 102), with its window defined.
  MainWindow* program_with_page_keys(HostPeer& peer) {
    const auto ids = init_program(peer, 89, "graphics");
    protocol::ScreenDefinition screen;
    screen.mode_and_style = 2;
    screen.title = "Chart";
    screen.width = 400;
    screen.height = 200;
    screen.screen_options = protocol::default_screen_options();
    screen.menu_items = {page_key("First", 11990), page_key("Next", 11992),
                         page_key("List", 11994)};
    const auto out =
        protocol::build_screen_definition(screen, 0x070305, net::KWD_WIN, net::KWK_WINIT);
    EXPECT_GT(peer.send(out.service, out.type, out.payload), 0);
    QWidget* main = nullptr;
    EXPECT_TRUE(wait_until([&] {
      main = registered_window(ids[1]);
      return main != nullptr && main->isVisible();
    }));
    define(peer, definition(graphics::kDefine));
    reply(peer);
    return static_cast<MainWindow*>(main);
  }
  static void draw_red_half(HostPeer& peer) {
    Stream s = with_length(0x19, Stream{}.u8(200).u8(0).u8(0));
    s.append(with_length(graphics::DB_FILL, Stream{}.u8(1)));
    s.append(with_length(
        graphics::DB_RECT,
        Stream{}.u8(0).u16(0).u16(0).u8(0).u8(0).i32(0).i32(0).i32(500).i32(250).u8(0).u16(0)));
    s.append(with_length(graphics::DB_FLUSH, Stream{}));
    ASSERT_GT(peer.send(net::KWD_STREAM, net::KWK_SDLEN, s.bytes), 0);
  }
  static graphics::GraphicsDefinition operation(int number) {
    graphics::GraphicsDefinition step = definition(graphics::kElementOperation);
    step.record.set16(64, number);
    return step;
  }
  // Operation 17 that stores the picture as a page titled "Q1" and answers at once.
  static graphics::GraphicsDefinition store_page() {
    graphics::GraphicsDefinition step = operation(17);
    step.record.set16(78, static_cast<std::int16_t>(0x8000));
    step.record.set8(67, 0x01 | 0x04 | 0x80);
    step.record.set8(132, 'Q');
    step.record.set8(133, '1');
    return step;
  }
  static int step(HostPeer& peer, const graphics::GraphicsDefinition& d) {
    define(peer, d);
    return reply(peer).record.i32(56);
  }
  static bool shows(QWidget* main, QColor colour) {
    return wait_until([&] {
      const auto* shown = main->findChild<graphics::GraphicsWindowWidget*>();
      return shown && !shown->picture().isNull() && shown->picture().pixelColor(50, 150) == colour;
    });
  }
};

TEST_F(PageHistoryTest, StoredPagesAreShownByThePageKeysAndRegionsComeBack) {
  HostPeer& peer = start_program();
  MainWindow* main = program_with_page_keys(peer);
  ASSERT_NE(nullptr, main);
  draw_red_half(peer);
  ASSERT_TRUE(shows(main, QColor(200, 0, 0)));
  define(peer, store_page());
  EXPECT_EQ(graphics::kInputNone, reply(peer).record.i16(80));  // answered at once
  graphics::GraphicsDefinition keep = operation(35);
  keep.record.set32(68, 7);
  EXPECT_EQ(0, step(peer, keep));
  EXPECT_EQ(0, step(peer, operation(24)));  // the live picture is cleared
  ASSERT_TRUE(shows(main, Qt::white));

  // The first page shows what was stored; the next after the last is the live picture.
  QTest::mouseClick(main->frame()->button(100), Qt::LeftButton);
  EXPECT_TRUE(shows(main, QColor(200, 0, 0)));
  // A window showing a stored page does not scroll.
  graphics::GraphicsDefinition scroll = operation(28);
  scroll.record.set16(66, 3);
  define(peer, scroll);
  EXPECT_EQ(1, reply(peer).record.i16(70));
  QTest::mouseClick(main->frame()->button(101), Qt::LeftButton);
  EXPECT_TRUE(shows(main, Qt::white));
  // The page list names the pages with their titles; choosing one shows it.
  QTest::mouseClick(main->frame()->button(102), Qt::LeftButton);
  ASSERT_TRUE(wait_until([&] { return main->frame()->context_menu() != nullptr; }));
  const auto entries = main->frame()->context_menu()->actions();
  ASSERT_FALSE(entries.isEmpty());
  EXPECT_EQ("1  Q1", entries[0]->text());
  entries[0]->trigger();
  main->frame()->context_menu()->close();
  EXPECT_TRUE(shows(main, QColor(200, 0, 0)));
  QTest::mouseClick(main->frame()->button(101), Qt::LeftButton);
  EXPECT_TRUE(shows(main, Qt::white));

  // The stored region comes back at its place; an unknown one changes nothing.
  graphics::GraphicsDefinition put_back = operation(36);
  put_back.record.set32(68, 7);
  EXPECT_EQ(0, step(peer, put_back));
  EXPECT_TRUE(shows(main, QColor(200, 0, 0)));
  put_back.record.set32(68, 8);
  EXPECT_EQ(0, step(peer, put_back));
  // Regions are kept up to their count: the 65th different one is refused.
  for (int key = 100; key < 163; ++key) {
    keep.record.set32(68, key);
    ASSERT_EQ(0, step(peer, keep)) << key;
  }
  keep.record.set32(68, 200);
  EXPECT_EQ(119, step(peer, keep));
  keep.record.set32(68, 7);  // replacing one is not a new one
  EXPECT_EQ(0, step(peer, keep));
}

TEST_F(PageHistoryTest, NoSavePageKeepsNoPagesAndStillAnswersAtOnce) {
  SessionHost host = *session_host();
  host.no_save_page = 1;
  set_session_host(host);
  HostPeer& peer = start_program();
  MainWindow* main = program_with_page_keys(peer);
  ASSERT_NE(nullptr, main);
  draw_red_half(peer);
  ASSERT_TRUE(shows(main, QColor(200, 0, 0)));
  define(peer, store_page());
  EXPECT_EQ(graphics::kInputNone, reply(peer).record.i16(80));
  EXPECT_EQ(0, step(peer, operation(24)));
  ASSERT_TRUE(shows(main, Qt::white));
  // The page keys start disabled and no page came: the live picture stays.
  EXPECT_FALSE(main->frame()->button(100)->isEnabled());
  QTest::qWait(100);
  EXPECT_TRUE(shows(main, Qt::white));
}

}  // namespace
}  // namespace kovw::session::test
