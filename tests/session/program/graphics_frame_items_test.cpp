// A graphics window definition's icon list and toolbar items end to end: its icons join the
// program's host icon set (a name already there keeps its first icon, an entry outside the
// icon data is refused), the toolbar buttons that name them show them, and the toolbar items
// of a fresh definition replace those of the earlier one.

#include <QBuffer>
#include <QTest>
#include <QToolBar>
#include <cstring>

#include "graphics/graphics_definition.h"
#include "graphics/graphics_input.h"
#include "net/fields.h"
#include "protocol/little_endian.h"
#include "protocol/payload_codec.h"
#include "session/session_fixture.h"
#include "session/view/frame_widgets.h"

namespace kovw::session::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes png_of(Qt::GlobalColor colour) {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(colour);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return Bytes(png.begin(), png.end());
}

// A toolbar item: a menu item record (label, icon name, function key, kind 0) in its wider
// slot.
Bytes toolbar_item(const std::string& label, const std::string& icon, int key) {
  Bytes item(graphics::kToolbarItemSize, 0);
  std::memcpy(item.data(), label.data(), label.size());
  std::memcpy(item.data() + 148, icon.data(), icon.size());
  item[171] = 6;
  protocol::put_le16(item.data() + 172, static_cast<std::uint16_t>(key));
  return item;
}

class GraphicsFrameItemsTest : public SessionTest {
 protected:
  // A definition with these toolbar items and icons (name and data; the data follow each other
  // in the icon data block). `bad` adds an entry whose data lie past the block.
  static graphics::GraphicsDefinition definition(
      const std::vector<Bytes>& items, const std::vector<std::pair<std::string, Bytes>>& icons,
      bool bad = false) {
    graphics::GraphicsDefinition d;
    d.mode = graphics::kDefine;
    d.record.set32(76, 1000);
    d.record.set32(80, 500);
    d.record.set16(70, 300);
    d.record.set16(72, 150);
    int flags = 0;
    if (!items.empty()) flags |= graphics::kToolbarItems;
    if (!icons.empty() || bad) flags |= graphics::kIconList;
    d.record.set16(74, flags);
    for (const Bytes& item : items) d.toolbar.insert(d.toolbar.end(), item.begin(), item.end());
    auto entry = [&d](const std::string& name, std::size_t length, std::size_t offset) {
      Bytes e(graphics::kIconEntrySize, 0);
      std::memcpy(e.data(), name.data(), name.size());
      protocol::put_le16(e.data() + 32, static_cast<std::uint16_t>(length));
      protocol::put_le32(e.data() + 36, static_cast<std::uint32_t>(offset));
      d.icons.insert(d.icons.end(), e.begin(), e.end());
    };
    for (const auto& [name, data] : icons) {
      entry(name, data.size(), d.icon_data.size());
      d.icon_data.insert(d.icon_data.end(), data.begin(), data.end());
    }
    if (bad) entry("bad", 10, d.icon_data.size());
    return d;
  }
  // Sends the definition and takes its reply.
  static void define(HostPeer& peer, const graphics::GraphicsDefinition& d) {
    ASSERT_GT(
        peer.send(net::KWD_DIGRA, net::KWK_GDIGRA, graphics::build_graphics_definition(d, true)),
        0);
    net::LinkMessage message;
    Bytes payload;
    ASSERT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(net::KWK_GDIGRA, message.type);
  }
  static QColor middle(const QAction* action) {
    return action->icon().pixmap(16, 16).toImage().pixelColor(8, 8);
  }
};

TEST_F(GraphicsFrameItemsTest, IconsJoinTheSetOnceAndToolbarItemsReplaceTheEarlierOnes) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 11, "chart");
  ASSERT_GT(define_screen(peer, "Chart", 2, 300, 150, 20, 20), 0);
  QWidget* main = nullptr;
  ASSERT_TRUE(wait_until([&] {
    main = registered_window(ids[1]);
    return main != nullptr && main->isVisible();
  }));
  FrameWidgets& frame = *static_cast<MainWindow*>(main)->frame();

  define(peer, definition({toolbar_item("Zoom", "zoom", 5), toolbar_item("Pan", "pan", 6)},
                          {{"zoom", png_of(Qt::blue)}}, true));
  ASSERT_TRUE(
      wait_until([&] { return frame.toolbar() && frame.toolbar()->actions().size() == 2; }));
  const QList<QAction*> actions = frame.toolbar()->actions();
  EXPECT_EQ("Zoom", actions[0]->text());
  EXPECT_EQ(QColor(Qt::blue), middle(actions[0]));
  EXPECT_NE(QColor(Qt::red), middle(actions[1]));  // no "pan" yet: a stock icon

  // Choosing an item is graphics input: its function key answers the waiting request.
  Bytes wait;
  protocol::PayloadWriter request(wait);
  request.int_field(0).int_field(0);
  ASSERT_GT(peer.send(net::KWD_DIGRA, net::KWK_GGET, wait), 0);
  QTest::qWait(50);
  actions[1]->trigger();
  net::LinkMessage message;
  Bytes payload;
  ASSERT_EQ(1, peer.receive(message, payload));
  EXPECT_EQ(net::KWK_GGET, message.type);
  net::FieldCursor at(payload);
  EXPECT_EQ(graphics::kInputKey, net::get_int_field(at));
  EXPECT_EQ(0x100 + 6, net::get_int_field(at));
  EXPECT_FALSE(at.failed);

  // Another definition while the window is open: "zoom" keeps its first icon, "pan" is new and
  // shows at once; the toolbar stays.
  define(peer, definition({}, {{"zoom", png_of(Qt::green)}, {"pan", png_of(Qt::red)}}));
  ASSERT_TRUE(wait_until([&] { return middle(actions[1]) == QColor(Qt::red); }));
  EXPECT_EQ(QColor(Qt::blue), middle(actions[0]));
  EXPECT_EQ(2, frame.toolbar()->actions().size());

  // After the definition ends, a fresh one brings its own toolbar items in place of the old.
  graphics::GraphicsDefinition end;
  end.mode = graphics::kEndDefinition;
  define(peer, end);
  define(peer, definition({toolbar_item("Fit", "zoom", 7)}, {}));
  ASSERT_TRUE(wait_until([&] {
    return frame.toolbar() && frame.toolbar()->actions().size() == 1 &&
           frame.toolbar()->actions()[0]->text() == "Fit";
  }));
  EXPECT_EQ(QColor(Qt::blue), middle(frame.toolbar()->actions()[0]));
}

}  // namespace
}  // namespace kovw::session::test
