#include "shell/file_type_registration.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "shell/temp_xdg_home.h"

namespace kovw::shell {
namespace {

QByteArray read_all(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void write_all(const std::string& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

TEST(RegistrationScript, TheBuiltInScriptsParseIntoTheirEntries) {
  std::string error;
  const auto script = parse_registration_script(registration_script(), &error);
  ASSERT_TRUE(script) << error;
  // 10 keys opened (".kovw" holds two values), 10 values set.
  int keys = 0, values = 0;
  for (const ScriptLine& line : *script) {
    keys += line.op == ScriptLine::Op::OpenKey;
    values += line.op == ScriptLine::Op::SetValue;
  }
  EXPECT_EQ(keys, 10);
  EXPECT_EQ(values, 10);
  const ScriptLine& open = (*script)[1];
  EXPECT_EQ(open.key, "HVKOVW.1\\shell\\open\\command");
  EXPECT_TRUE(open.value_name.empty());
  EXPECT_EQ(script_value_text(open, "/opt/kovw/kovw"), "/opt/kovw/kovw \"%1\"");

  const auto entries = file_type_entries(*script);
  ASSERT_TRUE(entries);
  EXPECT_EQ(entries->extension, ".kovw");
  EXPECT_EQ(entries->class_name, "HVKOVW.1");
  EXPECT_EQ(entries->content_type, "application/kovw");
  EXPECT_EQ(entries->description, "KOVW Parameter");

  const auto removal = parse_registration_script(removal_script(), &error);
  ASSERT_TRUE(removal) << error;
  ASSERT_EQ(removal->size(), 10u);
  EXPECT_EQ(removal->front().key, "HVKOVW.1\\shell\\print\\command");
  EXPECT_EQ(removal->back().key, ".kovw");
  for (const ScriptLine& line : *removal) EXPECT_EQ(line.op, ScriptLine::Op::DeleteKey);
}

TEST(RegistrationScript, ValueForms) {
  const auto script = parse_registration_script(
      "[K]\n"
      "@=0x10\n"
      "Count=42\n"
      "'Quoted Name'='a'$$'b'\n"
      "  Bare = 'x y'  \n");
  ASSERT_TRUE(script);
  ASSERT_EQ(script->size(), 5u);
  EXPECT_TRUE((*script)[1].is_number);
  EXPECT_EQ((*script)[1].number, 16u);
  EXPECT_EQ((*script)[2].value_name, "Count");
  EXPECT_EQ((*script)[2].number, 42u);
  EXPECT_EQ((*script)[3].value_name, "Quoted Name");
  EXPECT_EQ(script_value_text((*script)[3], "EXE"), "aEXEb");
  EXPECT_EQ((*script)[4].value_name, "Bare");
  EXPECT_EQ(script_value_text((*script)[4], "EXE"), "x y");
}

TEST(RegistrationScript, MalformedLinesAreRejectedWithTheirNumber) {
  const char* bad[] = {
      "@='x'\n",               // value outside a key
      "[K\n",                  // key not closed
      "[K]\n@='open\n",        // unterminated quote
      "[K]\n@=<path\n",        // unterminated path
      "[K]\n@=12abc\n",        // not a number
      "[K]\n@=0x1ffffffff\n",  // more than 32 bits
      "[K]\n@=\n",             // no value
      "[K]\n'name='x'\n",      // quoted name not closed before '='
      "[K]\nnovalue\n",        // no '='
      "#\n",                   // no key to delete
      "[K]\n@='a'junk\n",      // text outside quotes
  };
  for (const char* text : bad) {
    std::string error;
    EXPECT_FALSE(parse_registration_script(text, &error)) << text;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << text;
  }
}

class FileTypeRegistrationTest : public ::testing::Test {
 protected:
  RegistrationOptions options{"/opt/kovw dir/kovw", false};
  test::TempXdgHome home;
};

TEST_F(FileTypeRegistrationTest, InstallsInTheUsersXdgDirectories) {
  EXPECT_EQ(desktop_entry_path(), (home.data() + "/applications/kovw.desktop").toStdString());
  EXPECT_EQ(mime_package_path(), (home.data() + "/mime/packages/kovw.xml").toStdString());
  EXPECT_EQ(mimeapps_list_path(), (home.config() + "/mimeapps.list").toStdString());

  ASSERT_EQ(register_file_type(1, options), 0);
  const QByteArray desktop = read_all(desktop_entry_path());
  EXPECT_TRUE(desktop.contains("[Desktop Entry]\n"));
  EXPECT_TRUE(desktop.contains("\nExec=\"/opt/kovw dir/kovw\" %u\n")) << desktop.constData();
  EXPECT_TRUE(desktop.contains("\nMimeType=application/x-kovw;x-scheme-handler/kovw;\n"));
  EXPECT_TRUE(desktop.contains("\nComment=KOVW Parameter\n"));

  const QByteArray xml = read_all(mime_package_path());
  EXPECT_TRUE(xml.contains("<mime-type type=\"application/x-kovw\">"));
  EXPECT_TRUE(xml.contains("<glob pattern=\"*.kovw\"/>"));
  EXPECT_TRUE(xml.contains("<alias type=\"application/kovw\"/>"));

  const QByteArray apps = read_all(mimeapps_list_path());
  EXPECT_TRUE(apps.contains("[Default Applications]\n"));
  EXPECT_TRUE(apps.contains("\napplication/x-kovw=kovw.desktop\n"));
  EXPECT_TRUE(apps.contains("\nx-scheme-handler/kovw=kovw.desktop\n"));
}

TEST_F(FileTypeRegistrationTest, ModeOneRegistersOnlyOnceOtherModesAlways) {
  ASSERT_EQ(register_file_type(1, options), 0);
  RegistrationOptions moved{"/usr/bin/kovw", false};
  EXPECT_EQ(register_file_type(1, moved), 1);
  EXPECT_TRUE(read_all(desktop_entry_path()).contains("Exec=\"/opt/kovw dir/kovw\" %u"));
  EXPECT_EQ(register_file_type(2, moved), 0);
  EXPECT_TRUE(read_all(desktop_entry_path()).contains("\nExec=/usr/bin/kovw %u\n"));
  // Registering again does not repeat the associations.
  EXPECT_EQ(read_all(mimeapps_list_path()).count("x-scheme-handler/kovw="), 1);
}

TEST_F(FileTypeRegistrationTest, RemovalKeepsOtherAssociations) {
  write_all(mimeapps_list_path(),
            "[Added Associations]\ntext/plain=editor.desktop;\n"
            "[Default Applications]\ntext/html=browser.desktop\n"
            "x-scheme-handler/kovw=other.desktop\n");
  ASSERT_EQ(register_file_type(1, options), 0);
  QByteArray apps = read_all(mimeapps_list_path());
  EXPECT_TRUE(apps.contains("text/html=browser.desktop"));
  EXPECT_FALSE(apps.contains("other.desktop"));

  ASSERT_EQ(register_file_type(0, options), 0);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(desktop_entry_path())));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(mime_package_path())));
  apps = read_all(mimeapps_list_path());
  EXPECT_EQ(apps,
            "[Added Associations]\ntext/plain=editor.desktop;\n"
            "[Default Applications]\ntext/html=browser.desktop\n");
  // Removing what is not there succeeds.
  EXPECT_EQ(register_file_type(0, options), 0);
}

TEST_F(FileTypeRegistrationTest, ExecutablePathsAreQuotedForTheDesktopEntry) {
  RegistrationOptions odd{"/opt/a\"b$c\\d%e/kovw", false};
  ASSERT_EQ(register_file_type(2, odd), 0);
  const QByteArray desktop = read_all(desktop_entry_path());
  EXPECT_TRUE(desktop.contains("\nExec=\"/opt/a\\\\\"b\\\\$c\\\\\\\\d%%e/kovw\" %u\n"))
      << desktop.constData();
}

}  // namespace
}  // namespace kovw::shell
