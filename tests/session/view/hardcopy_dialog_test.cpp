// The hardcopy dialog's rules and messages, and the hardcopy run from a program's text output:
// ESC "+" to the clipboard, ESC "*" through the dialog into a file.
#include "session/view/hardcopy_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "foundation/message_table.h"

#include "session/program/hardcopy_text.h"
#include "session/program/text_cells.h"
#include "session/session_fixture.h"
#include "session/view/window_hardcopy.h"
#include "shell/startup.h"

namespace kovw::session::test {
namespace {

using namespace std::string_literals;

// A box's text with its line breaks made blanks again.
std::string flat(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}
std::vector<std::string> flat(std::vector<std::string> texts) {
  for (std::string& text : texts) text = flat(text);
  return texts;
}
std::string text_of(int number) {
  return foundation::message_text(number);
}

template <typename T>
T* child(QWidget& dialog, const char* name) {
  T* widget = dialog.findChild<T*>(QLatin1String(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

HardcopyWindowFacts text_facts() {
  return {"Kunden (host1)", true, QSize(80, 25), {}, {}};
}
HardcopyWindowFacts graphics_facts() {
  return {"Grafik (host1)", false, {}, QSize(800, 600), QSize(300, 200)};
}

class HardcopyDialogTest : public SessionTest {};

TEST_F(HardcopyDialogTest, ControlsFollowTheOutputAndTheKindOfWindow) {
  struct Case {
    bool text_screen;
    const char* output;
    bool file_name, txt, text_mode, graphic_mode, printer, visible;
  } cases[] = {
      {true, "file", true, true, false, false, false, false},
      {true, "print", false, false, true, true, true, false},
      {true, "clipboard", false, false, true, true, false, false},
      {false, "file", true, false, false, false, false, true},
      {false, "print", false, false, false, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text_screen ? "text " : "graphics ") + c.output);
    HardcopySettings settings;
    settings.printer_name = "laser";
    HardcopyDialog dialog(settings, c.text_screen ? text_facts() : graphics_facts(), nullptr);
    child<QRadioButton>(dialog, c.output)->click();
    EXPECT_EQ(child<QLineEdit>(dialog, "file_name")->isEnabled(), c.file_name);
    EXPECT_EQ(child<QRadioButton>(dialog, "bmp")->isEnabled(), c.file_name);
    EXPECT_EQ(child<QRadioButton>(dialog, "txt")->isEnabled(), c.txt);
    EXPECT_EQ(child<QRadioButton>(dialog, "oem")->isEnabled(), c.txt);
    EXPECT_FALSE(child<QRadioButton>(dialog, "pcx")->isEnabled());
    EXPECT_EQ(child<QRadioButton>(dialog, "text_mode")->isEnabled(), c.text_mode);
    EXPECT_EQ(child<QRadioButton>(dialog, "graphic_mode")->isEnabled(), c.graphic_mode);
    EXPECT_EQ(child<QPushButton>(dialog, "setup_printer")->isEnabled(), c.printer);
    EXPECT_EQ(child<QCheckBox>(dialog, "heading")->isEnabled(), c.printer);
    EXPECT_TRUE(child<QRadioButton>(dialog, "whole")->isEnabled());
    EXPECT_EQ(child<QRadioButton>(dialog, "visible")->isEnabled(), c.visible);
  }
  // Without a printer name the page set-up waits for a printer.
  HardcopyDialog dialog(HardcopySettings{}, text_facts(), nullptr);
  EXPECT_FALSE(child<QPushButton>(dialog, "setup_page")->isEnabled());
}

TEST_F(HardcopyDialogTest, StartTakesAFormatForTheWindowAndShowsItsSize) {
  HardcopySettings settings;
  settings.format = kHardcopyBmp;
  settings.file_name = "/tmp/out.bmp";
  HardcopyDialog text(settings, text_facts(), nullptr);
  EXPECT_TRUE(child<QRadioButton>(text, "txt")->isChecked());
  EXPECT_EQ(child<QLineEdit>(text, "file_name")->text(), "/tmp/out.txt");
  EXPECT_EQ(child<QLineEdit>(text, "width")->text(), "80");
  EXPECT_EQ(child<QLineEdit>(text, "height")->text(), "25");

  settings.format = kHardcopyOemText;
  HardcopyDialog graphics(settings, graphics_facts(), nullptr);
  EXPECT_TRUE(child<QRadioButton>(graphics, "bmp")->isChecked());
  EXPECT_EQ(child<QLineEdit>(graphics, "width")->text(), "800");
  child<QRadioButton>(graphics, "visible")->click();
  EXPECT_EQ(child<QLineEdit>(graphics, "width")->text(), "300");
  EXPECT_EQ(child<QLineEdit>(graphics, "height")->text(), "200");
}

TEST_F(HardcopyDialogTest, OkSaysWhatIsMissingAndStaysOpen) {
  HardcopySettings settings;
  settings.output = kHardcopyFile;
  {
    HardcopyDialog dialog(settings, text_facts(), nullptr);
    dialog.show();
    child<QPushButton>(dialog, "ok")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
  }
  {
    // A graphics window with a text format (the radio set behind the dialog's back).
    settings.file_name = "bild";
    HardcopyDialog dialog(settings, graphics_facts(), nullptr);
    dialog.show();
    child<QRadioButton>(dialog, "txt")->setChecked(true);
    child<QPushButton>(dialog, "ok")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(child<QRadioButton>(dialog, "bmp")->isChecked());
  }
  {
    settings.output = kHardcopyPrint;
    HardcopyDialog dialog(settings, text_facts(), nullptr);
    dialog.show();
    child<QPushButton>(dialog, "ok")->click();
    EXPECT_TRUE(dialog.isVisible());
  }
  const std::vector<std::string> expected = {text_of(40271), text_of(40275), text_of(40272)};
  EXPECT_EQ(flat(user_.asked), expected);
}

TEST_F(HardcopyDialogTest, FormatRadiosAndOkGiveTheNameItsExtension) {
  HardcopySettings settings;
  settings.output = kHardcopyFile;
  settings.format = kHardcopyText;
  settings.file_name = "/tmp/liste.txt";
  HardcopyDialog dialog(settings, text_facts(), nullptr);
  auto* name = child<QLineEdit>(dialog, "file_name");
  child<QRadioButton>(dialog, "bmp")->click();
  EXPECT_EQ(name->text(), "/tmp/liste.bmp");
  child<QRadioButton>(dialog, "oem")->click();
  EXPECT_EQ(name->text(), "/tmp/liste.oem");
  child<QRadioButton>(dialog, "txt")->click();
  name->setText("/tmp/x.doc");
  child<QPushButton>(dialog, "ok")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.settings().file_name, "/tmp/x.doc.txt");
  EXPECT_EQ(dialog.settings().format, kHardcopyText);
  EXPECT_TRUE(user_.asked.empty());
}

HardcopySource small_screen() {
  HardcopySource source;
  source.description = "Kunden (host1)";
  source.look.font_name = "Courier New";
  source.look.foreground_colours.fill(Qt::black);
  source.look.background_colours.fill(Qt::white);
  source.columns = 3;
  for (const char c :
       "ab\xE4"s
       "cde")
    source.cells.push_back(make_cell(kResetAttribute, static_cast<std::uint8_t>(c)));
  source.view = {0, 0, 2, 3};
  return source;
}

TEST_F(HardcopyDialogTest, WritingFilesAndTheClipboard) {
  QTemporaryDir dir;
  HardcopySource source = small_screen();
  HardcopySettings settings;
  settings.output = kHardcopyFile;
  settings.format = kHardcopyOemText;
  settings.file_name = dir.filePath("s.oem").toStdString();
  EXPECT_EQ(write_hardcopy(nullptr, source, settings), 0);
  QFile file(dir.filePath("s.oem"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("ab\x84\r\ncde\r\n"));

  // A graphics window without a picture makes nothing: the file that was there stays.
  HardcopySource empty;
  empty.text_screen = false;
  settings.format = kHardcopyBmp;
  EXPECT_EQ(write_hardcopy(nullptr, empty, settings), 10054);
  file.seek(0);
  EXPECT_EQ(file.readAll(), QByteArray("ab\x84\r\ncde\r\n"));

  // A directory that cannot be written names the file.
  settings.file_name = dir.filePath("none/s.bmp").toStdString();
  EXPECT_EQ(write_hardcopy(nullptr, source, settings), 40278);
  ASSERT_EQ(user_.asked.size(), 2u);
  const std::string file_message = flat(user_.asked[1]);
  EXPECT_NE(file_message.find(settings.file_name), std::string::npos) << file_message;

  // The clipboard: text with LF line ends, in memory.
  settings.output = kHardcopyClipboard;
  settings.format = kHardcopyText;
  EXPECT_EQ(write_hardcopy(nullptr, source, settings), 0);
  EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("abä\ncde\n"));
  settings.format = kHardcopyBmp;
  EXPECT_EQ(write_hardcopy(nullptr, source, settings), 0);
  EXPECT_FALSE(QApplication::clipboard()->image().isNull());
}

TEST_F(HardcopyDialogTest, ASecondHardcopyWhileOneRunsOnlySaysSo) {
  HardcopyActive running;
  ASSERT_TRUE(running.owner());
  QApplication::clipboard()->setText("before");
  window_hardcopy(nullptr, small_screen(), 1);
  EXPECT_EQ(QApplication::clipboard()->text(), "before");
  EXPECT_EQ(flat(user_.asked), std::vector<std::string>{text_of(40277)});
}

// Printing on the printer "PDF" writes a file of the PDF printer's folder; a cancelled job
// leaves none, and the window is enabled again either way.
TEST_F(HardcopyDialogTest, PrintingOnThePdfPrinterAndCancelling) {
  QTemporaryDir data;
  const std::string saved_data = shell::shell_state().directories.data;
  shell::shell_state().directories.data = data.path().toStdString();
  QWidget window;
  HardcopySettings settings;
  settings.printer_name = "PDF";
  settings.format = kHardcopyText;
  const HardcopySource source = small_screen();
  EXPECT_EQ(print_window_hardcopy(&window, source, settings), 0);
  EXPECT_TRUE(window.isEnabled());
  QDir folder(data.filePath("print"));
  const QStringList files = folder.entryList(QDir::Files);
  ASSERT_EQ(files.size(), 1);
  EXPECT_TRUE(files[0].startsWith("Kunden__host1__")) << files[0].toStdString();
  EXPECT_TRUE(files[0].endsWith(".pdf"));
  QProcess text;
  text.start("pdftotext", {"-layout", folder.filePath(files[0]), "-"});
  ASSERT_TRUE(text.waitForFinished(30000));
  const QString printed = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_TRUE(printed.contains("Kunden (host1)")) << printed.toStdString();
  EXPECT_TRUE(printed.contains("cde")) << printed.toStdString();

  // "Cancel Print" as soon as the abort window shows.
  QTimer::singleShot(0, [&window] {
    if (auto* abort = window.findChild<QProgressDialog*>("hardcopy_abort")) abort->cancel();
  });
  EXPECT_EQ(print_window_hardcopy(&window, source, settings), -1);
  EXPECT_TRUE(window.isEnabled());
  EXPECT_EQ(folder.entryList(QDir::Files), files);
  shell::shell_state().directories.data = saved_data;
}

// A program's text output asks for the hardcopy.
class HardcopyFromOutputTest : public SessionTest {
 protected:
  std::vector<std::int32_t> text_program(HostPeer& peer, int pid) {
    const auto ids = init_program(peer, pid, "text");
    EXPECT_GT(define_screen(peer, "Liste", 1, 20, 3, 10, 10), 0);
    EXPECT_TRUE(wait_until([&] {
      QWidget* window = registered_window(ids[1]);
      return window != nullptr && window->isVisible();
    }));
    return ids;
  }
  static int write(HostPeer& peer, const std::string& stream) {
    return peer.send(net::KWD_WIN, net::KWK_WDAT, {stream.begin(), stream.end()});
  }
};

TEST_F(HardcopyFromOutputTest, EscPlusPutsTheScreenOnTheClipboard) {
  HostPeer& peer = start_program();
  text_program(peer, 40);
  QApplication::clipboard()->setText("before");
  // A frame line in semigraphics, then text; ESC "+" at once after it.
  ASSERT_GT(write(peer,
                  "\x0c\x1bTU]]V\x1bS Gr\xFC\xDF"
                  "e\x1b+"s),
            0);
  ASSERT_TRUE(wait_until([] { return QApplication::clipboard()->text() != "before"; }));
  const QStringList rows = QApplication::clipboard()->text().split(u'\n');
  ASSERT_EQ(rows.size(), 4);  // three rows and the end after the last LF
  EXPECT_EQ(rows[0], QString::fromUtf8("+--+ Grüße          "));
  EXPECT_EQ(rows[1], QString(20, u' '));
  EXPECT_TRUE(user_.asked.empty());
}

TEST_F(HardcopyFromOutputTest, EscStarRunsTheDialogAndSavesTheFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("liste.doc");
  HostPeer& peer = start_program();
  text_program(peer, 41);
  bool seen = false;
  // The user answers the dialog: save to file, text, a name.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || dialog->objectName() != "hardcopy_dialog") return;
    seen = true;
    dialog->findChild<QRadioButton*>("file")->click();
    dialog->findChild<QRadioButton*>("txt")->click();
    dialog->findChild<QLineEdit*>("file_name")->setText(path);
    dialog->findChild<QPushButton*>("ok")->click();
  });
  answer.start(10);
  ASSERT_GT(write(peer, "\x0cZeile eins\r\nZeile zwei\x1b*"s), 0);
  ASSERT_TRUE(wait_until([&] { return QFile::exists(path + ".txt"); }));
  EXPECT_TRUE(seen);
  QFile file(path + ".txt");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(),
            QByteArray("Zeile eins          \r\nZeile zwei          \r\n                    \r\n"));
  // The choices are kept for the next hardcopy.
  EXPECT_EQ(hardcopy_settings().output, kHardcopyFile);
  EXPECT_EQ(hardcopy_settings().file_name, (path + ".txt").toStdString());
}

}  // namespace
}  // namespace kovw::session::test
