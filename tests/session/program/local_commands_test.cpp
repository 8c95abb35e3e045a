// Local commands of a host program, run by their handlers on a fake context: file operations
// and the file check on a directory of the test, starting local programs, the font list and
// the printer and help requests.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/error_text.h"
#include "foundation/message_table.h"
#include "protocol/program/file_records.h"
#include "protocol/program/font_records.h"
#include "protocol/program/host_requests.h"
#include "session/context_fixture.h"
#include "session/program/font_list.h"
#include "session/program/local_programs.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

namespace fs = std::filesystem;

constexpr int kHostVersion = 0x070305;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::uint32_t le(const std::vector<std::uint8_t>& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

std::string text_at(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t size) {
  const auto* begin = reinterpret_cast<const char*>(bytes.data() + at);
  return std::string(begin, strnlen(begin, size));
}

class LocalCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_app();
    fake_.host_version = kHostVersion;
    dir_ = fs::temp_directory_path() /
           ("local_commands." + std::to_string(::getpid()) + "." +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }

  // Runs `out` and returns the answer's type and payload.
  std::pair<int, std::vector<std::uint8_t>> ask(const protocol::Outgoing& out) {
    EXPECT_EQ(net::KWD_KOMM, out.service);
    protocol::Outgoing answer = fake_.ask(out);
    return {answer.type, std::move(answer.payload)};
  }

  protocol::FileAnswer file_operation(int type, const std::string& path) {
    const auto [message, payload] = ask(protocol::build_file_operation(type, path));
    const auto answer = protocol::parse_file_answer(payload);
    EXPECT_TRUE(answer);
    return answer ? *answer : protocol::FileAnswer{};
  }

  protocol::ExecAnswer start(const std::string& program, const std::string& arguments, int flags) {
    const auto [message, payload] =
        ask(protocol::build_kskomm({program, arguments, flags}, kHostVersion));
    const auto answer = protocol::parse_exec_answer(payload);
    EXPECT_TRUE(answer);
    return answer ? *answer : protocol::ExecAnswer{};
  }

  fs::path script(const std::string& name, const std::string& body) {
    const fs::path path = dir_ / name;
    write_file(path, "#!/bin/sh\n" + body + "\n");
    fs::permissions(path, fs::perms::owner_all);
    return path;
  }

  static std::string failure_text(int error) {
    const int code = foundation::kErrnoErrorBase + error;
    return std::to_string(code) + " " + foundation::error_text(code, foundation::german());
  }

  FakeContext fake_;
  fs::path dir_;
};

TEST_F(LocalCommandsTest, FileOperationsAnswerSuccessOrTheSystemError) {
  const std::string success = foundation::error_text(0, foundation::german());
  write_file(dir_ / "file", "data");
  fs::create_directories(dir_ / "full" / "sub");
  write_file(dir_ / "full" / "sub" / "f", "x");
  fs::create_directories(dir_ / "tree" / "a");
  write_file(dir_ / "tree" / "a" / "f", "x");
  write_file(dir_ / "plain", "x");

  struct Case {
    int type;
    std::string path;
    int error;  // errno, 0 success
  };
  const std::string d = dir_.string();
  const Case cases[] = {
      {net::KWK_KMKDIR, d + "/new", 0},
      {net::KWK_KMKDIR, d + "/new", EEXIST},
      {net::KWK_KMKDIR, d + "/missing/new", ENOENT},
      {net::KWK_KMKDIR, d + "\\new\\inner", 0},  // backslashes separate as well
      {net::KWK_KDEL, d + "/file", 0},
      {net::KWK_KDEL, d + "/file", ENOENT},
      {net::KWK_KDEL, d + "/new", EISDIR},
      {net::KWK_KRMDIR, d + "/full", 0},  // not empty: removed with its contents
      {net::KWK_KRMDIR, d + "/full", ENOENT},
      {net::KWK_KRMALL, d + "/plain", ENOTDIR},
      {net::KWK_KRMALL, d + "/tree", 0},
      {net::KWK_KRMALL, d + "/tree", ENOENT},
      {net::KWK_KWIPE, d + "/new", EISDIR},
      {net::KWK_KWIPE, d + "/plain", 0},
      {net::KWK_KWIPE, d + "/plain", ENOENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + " " + c.path);
    const protocol::FileAnswer answer = file_operation(c.type, c.path);
    EXPECT_EQ(c.error == 0 ? 0 : foundation::kErrnoErrorBase + c.error, answer.error);
    EXPECT_EQ(c.error == 0 ? success : failure_text(c.error), answer.text);
  }
  EXPECT_TRUE(fs::is_directory(dir_ / "new" / "inner"));
  EXPECT_FALSE(fs::exists(dir_ / "full"));
  EXPECT_FALSE(fs::exists(dir_ / "tree"));
  EXPECT_FALSE(fs::exists(dir_ / "plain"));
}

TEST_F(LocalCommandsTest, PathsPassThroughTheSynonymsAndTooLongPathsAreRefused) {
  setenv("KOVWLOCALTEST", dir_.c_str(), 1);
  write_file(dir_ / "logical", "x");
  EXPECT_EQ(0, file_operation(net::KWK_KDEL, "KOVWLOCALTEST\\logical").error);
  EXPECT_FALSE(fs::exists(dir_ / "logical"));
  unsetenv("KOVWLOCALTEST");

  // Longer than the request's field: answered with the error, nothing is touched.
  const protocol::FileAnswer answer =
      file_operation(net::KWK_KMKDIR, dir_.string() + "/" + std::string(600, 'a'));
  EXPECT_EQ(foundation::kErrnoErrorBase + ENAMETOOLONG, answer.error);
}

// Wiping overwrites the data itself (a second name of the file sees zeros) and never writes
// through a symbolic link.
TEST_F(LocalCommandsTest, WipeOverwritesTheDataAndRefusesLinks) {
  write_file(dir_ / "secret", "password");
  fs::create_hard_link(dir_ / "secret", dir_ / "other name");
  EXPECT_EQ(0, file_operation(net::KWK_KWIPE, (dir_ / "secret").string()).error);
  EXPECT_FALSE(fs::exists(dir_ / "secret"));
  EXPECT_EQ(std::string(8, '\0'), read_file(dir_ / "other name"));

  write_file(dir_ / "target", "keep");
  fs::create_symlink(dir_ / "target", dir_ / "link");
  EXPECT_EQ(foundation::kErrnoErrorBase + EINVAL,
            file_operation(net::KWK_KWIPE, (dir_ / "link").string()).error);
  EXPECT_EQ("keep", read_file(dir_ / "target"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
}

TEST_F(LocalCommandsTest, FileCheckDescribesTheFileOrAnswersTheError) {
  write_file(dir_ / "checked.txt", "12345");
  ::chmod((dir_ / "checked.txt").c_str(), 0640);
  const std::string path = (dir_ / "checked.txt").string();

  auto check = [&](const std::string& name) {
    const auto [message, payload] = ask(protocol::build_kfilecheck(name));
    const auto answer = protocol::parse_filecheck_answer(payload);
    EXPECT_TRUE(answer);
    return answer ? *answer : protocol::FileCheckAnswer{};
  };

  const protocol::FileCheckAnswer file = check(path);
  EXPECT_EQ(0, file.error);
  EXPECT_EQ("", file.text);
  // The name, blank-padded.
  const std::string name(file.entry.begin(), file.entry.begin() + 256);
  EXPECT_EQ(path + std::string(256 - path.size(), ' '), name);
  // The status record.
  EXPECT_EQ(0x8000u | 0640u, le(file.entry, 256 + 6, 2));
  EXPECT_EQ(5u, le(file.entry, 256 + 20, 4));
  struct stat st {};
  ASSERT_EQ(0, ::stat(path.c_str(), &st));
  EXPECT_EQ(static_cast<std::uint32_t>(st.st_mtim.tv_sec), le(file.entry, 256 + 28, 4));
  // The listing line.
  const std::size_t line = protocol::kFileEntryListingOffset;
  EXPECT_EQ("07*", std::string(file.entry.begin() + line, file.entry.begin() + line + 3));
  char stamp[15];
  std::tm local{};
  localtime_r(&st.st_mtim.tv_sec, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &local);
  EXPECT_EQ(std::string(stamp) + "000000000005",
            std::string(file.entry.begin() + line + 4, file.entry.begin() + line + 30));
  EXPECT_EQ("checked.txt", text_at(file.entry, line + 30, 256));
  // The file record.
  EXPECT_EQ(protocol::kAttributeArchive, le(file.file_record, 0, 4));
  EXPECT_EQ(5u, le(file.file_record, 28, 4));
  EXPECT_EQ(static_cast<std::uint32_t>(st.st_mtim.tv_sec), le(file.file_record, 20, 4));
  EXPECT_EQ("checked.txt", text_at(file.file_record, 36, 260));

  const protocol::FileCheckAnswer folder = check(dir_.string());
  EXPECT_EQ(0, folder.error);
  EXPECT_EQ('1', folder.entry[line]);
  EXPECT_EQ(protocol::kAttributeDirectory, le(folder.file_record, 0, 4));

  // A missing file: the C-library error number itself, and its text.
  const protocol::FileCheckAnswer missing = check(dir_.string() + "/missing");
  EXPECT_EQ(ENOENT, missing.error);
  EXPECT_EQ(foundation::error_text(foundation::kErrnoErrorBase + ENOENT, foundation::german()),
            missing.text);
  EXPECT_EQ(std::vector<std::uint8_t>(protocol::kFileRecordSize, 0), missing.file_record);
}

TEST_F(LocalCommandsTest, StartedProgramIsWaitedForAndAnswersItsExitCode) {
  const fs::path out = dir_ / "arguments";
  const fs::path tool = script("tool.sh", "printf '%s\\n' \"$@\" > \"$1\"\nexit 3");
  const std::string quoted_out = "\"" + out.string() + "\"";

  protocol::ExecAnswer answer = start(tool.string(), quoted_out + " \"a b\"  c", 1);
  EXPECT_EQ(3, answer.result);
  EXPECT_EQ(foundation::error_text(3, foundation::german()), answer.text);
  EXPECT_EQ(out.string() + "\na b\nc\n", read_file(out));  // no shell saw the arguments

  // The program "default": the first word of the arguments is the program.
  fs::remove(out);
  answer = start("default", "\"" + tool.string() + "\" " + quoted_out + " x", 1);
  EXPECT_EQ(3, answer.result);
  EXPECT_EQ(out.string() + "\nx\n", read_file(out));

  // A program that a signal ends.
  const fs::path killed = script("killed.sh", "kill -TERM $$");
  EXPECT_EQ(128 + SIGTERM, start(killed.string(), "", 1).result);

  // Without flag bit 0 the program runs on its own; the answer comes at once.
  const fs::path marker = dir_ / "marker";
  const fs::path toucher = script("toucher.sh", "sleep 0.2; : > \"$1\"");
  answer = start(toucher.string(), marker.string(), 0);
  EXPECT_EQ(0, answer.result);
  EXPECT_EQ(foundation::error_text(0, foundation::german()), answer.text);
  EXPECT_TRUE(wait_until([&] { return fs::exists(marker); }));
}

TEST_F(LocalCommandsTest, ProgramThatCannotStartAnswersTheStartError) {
  struct Case {
    std::string program;
    int start_error;
  };
  const Case cases[] = {
      {(dir_ / "missing").string(), foundation::kStartFileNotFound},
      {(dir_ / "no dir" / "missing").string(), foundation::kStartPathNotFound},
      {"", foundation::kStartFileNotFound},
      {"default", foundation::kStartFileNotFound},  // and no arguments
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    const protocol::ExecAnswer answer = start(c.program, "", 1);
    EXPECT_EQ(c.start_error, answer.result);  // answered without the 60000
    EXPECT_EQ(
        foundation::error_text(foundation::kStartErrorBase + c.start_error, foundation::german()),
        answer.text);
  }
}

// A request that cannot be read is answered all the same, with the error of an invalid
// argument, so that the host does not wait for ever.
TEST_F(LocalCommandsTest, UnreadableRequestsAreAnsweredWithAnError) {
  const int invalid = foundation::kErrnoErrorBase + EINVAL;
  for (const int type : {net::KWK_KDEL, net::KWK_KMKDIR, net::KWK_KRMALL}) {
    SCOPED_TRACE(type);
    const auto answer = protocol::parse_file_answer(ask({net::KWD_KOMM, type, {}}).second);
    ASSERT_TRUE(answer);
    EXPECT_EQ(invalid, answer->error);
  }
  const auto exec = protocol::parse_exec_answer(ask({net::KWD_KOMM, net::KWK_KSKOMM, {1}}).second);
  ASSERT_TRUE(exec);
  EXPECT_EQ(invalid, exec->result);
  const auto check =
      protocol::parse_filecheck_answer(ask({net::KWD_KOMM, net::KWK_KFILECHECK, {}}).second);
  ASSERT_TRUE(check);
  EXPECT_NE(0, check->error);
  const auto fonts =
      protocol::parse_fontlist_answer(ask({net::KWD_KOMM, net::KWK_KFONTLIST, {}}).second);
  ASSERT_TRUE(fonts);
  EXPECT_GE(0, fonts->count);
}

TEST(CommandWords, QuotesGroupAndBlanksSeparate) {
  using Words = std::vector<std::string>;
  EXPECT_EQ((Words{"a", "b c", "", "d\\e"}), split_command_words("  a \"b c\" \"\"\td\\e "));
  EXPECT_EQ((Words{"x y"}), split_command_words("x\" \"y"));
  EXPECT_EQ(Words{}, split_command_words("   "));
}

TEST(FontNames, WildcardsMatchWithoutRegardToCase) {
  struct Case {
    const char16_t* pattern;
    const char16_t* name;
    bool matches;
  };
  const Case cases[] = {
      {u"DejaVu*", u"DejaVu Sans Mono", true},
      {u"dejavu sans", u"DejaVu Sans", true},
      {u"dejavu sans", u"DejaVu Sans Mono", false},
      {u"*Mono", u"DejaVu Sans Mono", true},
      {u"D?jaVu*M*o", u"DejaVu Sans Mono", true},
      {u"*", u"", true},
      {u"?", u"", false},
      {u"Liberation*Serif", u"Liberation Sans", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.matches, font_name_matches(c.pattern, c.name)) << std::u16string(c.pattern).size();
}

TEST_F(LocalCommandsTest, FontListAnswersTheMatchingFamilies) {
  auto fonts = [&](const std::string& pattern, int flags = 0, int character_set = 1) {
    const auto [message, payload] = ask(protocol::build_kfontlist({flags, pattern, character_set}));
    const auto answer = protocol::parse_fontlist_answer(payload);
    EXPECT_TRUE(answer);
    return std::make_pair(answer ? *answer : protocol::FontListAnswer{}, payload);
  };

  const auto [none, none_payload] = fonts("No Such Font*xyz");
  EXPECT_EQ(0, none.count);
  EXPECT_EQ("NULL", std::string(none_payload.end() - 4, none_payload.end()));

  const auto dejavu = fonts("dejavu*").first;
  ASSERT_GT(dejavu.count, 0);
  ASSERT_EQ(static_cast<std::size_t>(dejavu.count) * protocol::kFontRecordSize,
            dejavu.records.size());
  bool mono_seen = false;
  for (int i = 0; i < dejavu.count; ++i) {
    const protocol::FontRecord font =
        protocol::read_font_record(dejavu.records.data() + i * protocol::kFontRecordSize);
    SCOPED_TRACE(font.family);
    EXPECT_EQ(0,
              QString::fromStdString(font.family).left(6).compare("DejaVu", Qt::CaseInsensitive));
    EXPECT_EQ(1, font.character_set);
    EXPECT_TRUE(font.scripts & protocol::kScriptLatin);
    if (font.family == "DejaVu Sans Mono") {
      mono_seen = true;
      EXPECT_TRUE(font.flags & protocol::kFontFixedPitch);
      EXPECT_FALSE(font.flags & protocol::kFontItalic);
      EXPECT_EQ(400, font.weight);
    }
  }
  EXPECT_TRUE(mono_seen);

  // The character set narrows the families to those of its script.
  EXPECT_GT(fonts("DejaVu Sans", 1, 204).first.count, 0);       // Cyrillic
  EXPECT_EQ(0, fonts("DejaVu Sans Mono", 1, 128).first.count);  // Japanese
}

TEST_F(LocalCommandsTest, PrinterRequestsAreAnsweredNotImplementedAndHelpNotAtAll) {
  const protocol::KHelpRequest help{"topic", "title", {"one", "two"}};
  fake_.run(protocol::build_khelp_request(help));
  EXPECT_TRUE(fake_.replies.sent.empty());  // the help request gets no answer

  auto [get_message, get_payload] = ask(protocol::build_kgetprinter("PDF", ""));
  auto get = protocol::parse_printer_answer(get_payload);
  ASSERT_TRUE(get);
  EXPECT_EQ(1, get->value);
  EXPECT_EQ("getprinter not implemented", get->text);

  auto [send_message, send_payload] = ask(protocol::build_ksendprinter({{}, "/tmp/x.pdf", "", ""}));
  auto sent = protocol::parse_printer_answer(send_payload);
  ASSERT_TRUE(sent);
  EXPECT_EQ(1, sent->value);
  EXPECT_EQ("sendprinter not implemented", sent->text);
}

}  // namespace
}  // namespace kovw::session::test
