#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "net/stored_cipher.h"

namespace kovw::shell {
namespace {

struct Parsed {
  StartOptions options;
  StartAction action = StartAction::Run;
  std::vector<CommandLineMessage> messages;
  const SettingsRecord& v() const { return options.overrides.values; }
  std::uint32_t mask() const { return options.overrides.mask; }
};

Parsed parse(const std::string& text) {
  Parsed parsed;
  ParseContext context;
  context.today = 20261210;
  parsed.action = parse_command_line(text, parsed.options, context, &parsed.messages);
  return parsed;
}

TEST(CommandLine, UrlFormDecodesLikeTheCommandLine) {
  for (const char* text : {"kovw:-r%20myhost%20-l", "\"kovw:-r%20myhost%20-l\"  ",
                           "'KOVW:-r%20myhost%20-l'", "kovw://-r%20myhost%20-l"}) {
    SCOPED_TRACE(text);
    Parsed p = parse(text);
    EXPECT_EQ(p.action, StartAction::Run);
    EXPECT_TRUE(p.options.from_url);
    EXPECT_EQ(p.v().host, "myhost");
    EXPECT_EQ(p.v().auto_login, 1);
    EXPECT_EQ(p.mask(), kOverrideHost | kOverrideAutoLogin);
    EXPECT_TRUE(p.messages.empty());
  }
}

TEST(CommandLine, UrlFormRefusesOptionsThatWriteSettingsOrRunWorkflows) {
  for (const char* text :
       {"kovw:-q", "kovw:-jf+", "kovw:-xe%20cmd", "kovw:-i", "kovw:%2Ftmp%2Fx.kovw%20-l"}) {
    SCOPED_TRACE(text);
    Parsed p = parse(text);
    EXPECT_EQ(p.action, StartAction::Error);
    ASSERT_FALSE(p.messages.empty());
    EXPECT_EQ(p.messages[0].number, 10051);
    EXPECT_NE(p.messages[0].text.find("kovw:"), std::string::npos) << p.messages[0].text;
  }
  // The same options work from the real command line.
  EXPECT_EQ(parse("-q").action, StartAction::Uninstall);
}

TEST(CommandLine, ParameterFileWordsComeBeforeTheRestOfTheLine) {
  auto dir = std::filesystem::temp_directory_path() / "kovw_cmdline_test";
  std::filesystem::create_directories(dir);
  auto file = dir / "start.kovw";
  std::ofstream(file) << "-r filehost   # the host\n"
                         "# a comment line\n"
                         "-d \"/a dir/x\"\t-e\n";
  Parsed p = parse(file.string() + " -v 5000");
  EXPECT_EQ(p.action, StartAction::Run);
  EXPECT_EQ(p.v().host, "filehost");
  EXPECT_EQ(p.v().working_directory, "/a dir/x");
  EXPECT_EQ(p.v().auto_end, 1);
  EXPECT_EQ(p.v().kovd_port, 5000);

  // An unreadable file is reported and the word is then not an option.
  Parsed missing = parse((dir / "missing.kovw").string());
  ASSERT_GE(missing.messages.size(), 2u);
  EXPECT_EQ(missing.messages[0].number, 10096);
  EXPECT_EQ(missing.messages[1].number, 10051);
  EXPECT_EQ(missing.action, StartAction::Error);
  std::filesystem::remove_all(dir);
}

TEST(CommandLine, NumbersAndFlagsOfTheOptionsTable) {
  Parsed p = parse("-p0");
  EXPECT_EQ(p.v().disable_print_service, 1);
  p = parse("-p9600+");
  EXPECT_EQ(p.v().kovw_printer_port, 9600);
  EXPECT_EQ(p.v().auto_print_port, 1);
  EXPECT_EQ(p.v().disable_print_service, 0);
  EXPECT_EQ(p.mask(), kOverridePrinterPort);

  p = parse("-ff 125");
  EXPECT_EQ(p.v().icon_size, 20);
  EXPECT_EQ(p.v().font_factor, 125);
  EXPECT_EQ(p.mask(), 0u);  // the font-factor group does not block writing back
  p = parse("-fi 24 -ff 125");
  EXPECT_EQ(p.v().icon_size, 24);

  EXPECT_EQ(parse("-ot 30").options.net_timeout_ms, 30000);
  EXPECT_EQ(parse("-ot 2500").options.net_timeout_ms, 2500);
  EXPECT_EQ(parse("-t").options.verbosity, 0x81);
  EXPECT_EQ(parse("-t2").options.verbosity, 2);
  EXPECT_EQ(parse("-t 3").options.verbosity, 0x83);

  p = parse("-w 0 -g- -a 15 -os 1 -f Courier 12 -fp Arial 10");
  EXPECT_EQ(p.v().automatic_kovw_port, 1);
  EXPECT_EQ(p.v().secure_connection, 0);
  EXPECT_EQ(p.v().crypted_connection, 0);
  EXPECT_EQ(p.v().ping_timer, 15);
  EXPECT_EQ(p.v().language, 1);
  EXPECT_EQ(p.v().font_name, "Courier");
  EXPECT_EQ(p.v().font_size, 120);
  EXPECT_EQ(p.v().prop_font, "Arial");
  EXPECT_EQ(p.v().prop_size, 100);

  p = parse("-pp+ -pg-");
  EXPECT_EQ(p.v().poster_print, 1);
  EXPECT_TRUE(p.options.print_plain_drawing);
  EXPECT_EQ(parse("-pg+").v().poster_print, 0);

  p = parse("-v abc");
  EXPECT_EQ(p.messages.size(), 1u) << "a port that is not a number is reported";
}

TEST(CommandLine, UserDomainAndPassword) {
  Parsed p = parse("-b anna//*");
  EXPECT_EQ(p.v().user, "anna");
  EXPECT_EQ(p.v().domain, "");
  EXPECT_EQ(p.mask(), kOverrideUser | kOverrideDomain | kOverrideAskPassword);

  p = parse("-b anna/dom/geheim");
  EXPECT_EQ(p.mask(), kOverrideUser | kOverrideDomain | kOverridePassword);
  auto field = p.v().password;
  EXPECT_NE(std::string(reinterpret_cast<const char*>(field.data()), 6), "geheim");
  net::stored_decipher(field.data(), nullptr, field.size());
  EXPECT_STREQ(reinterpret_cast<const char*>(field.data()), "geheim");

  EXPECT_EQ(parse("-b anna").mask(), kOverrideUser);
  EXPECT_EQ(parse("-b anna/d/" + std::string(32, 'x')).action, StartAction::Error);
}

TEST(CommandLine, EnvironmentEntries) {
  Parsed p = parse("-s /opt/hv -u LANG=de");
  ASSERT_EQ(p.v().environment_used, 7);
  EXPECT_EQ(p.v().environment[2].name, "TEXTDAT");
  EXPECT_EQ(p.v().environment[2].value, "/opt/hv/TEXTDAT");
  EXPECT_EQ(p.v().environment[6].name, "LANG");
  EXPECT_EQ(p.v().environment[6].value, "de");

  std::string many;
  for (int i = 0; i < 28; ++i) many += " -u V" + std::to_string(i) + "=x";
  p = parse(many + " -s /opt/hv");
  EXPECT_EQ(p.v().environment_used, 28) << "-s adds all six entries or none";
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.messages[0].number, 10050);
}

TEST(CommandLine, UnknownOptionClearsEarlierOverridesOnly) {
  Parsed p = parse("-r early -Q -e");
  EXPECT_EQ(p.action, StartAction::Run);
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.messages[0].number, 10051);
  EXPECT_EQ(p.messages[0].caption, "Start");
  EXPECT_EQ(p.mask(), kOverrideAutoEnd);

  p = parse("-r host notanoption");
  EXPECT_EQ(p.action, StartAction::Error);
  EXPECT_EQ(p.messages[0].caption, "Start KOVW");
  EXPECT_EQ(p.mask(), 0u);
}

TEST(CommandLine, ValuesLongerThanTheirFieldAreRefused) {
  Parsed p = parse("-r " + std::string(64, 'h'));
  EXPECT_EQ(p.action, StartAction::Error);
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_NE(p.messages[0].text.find("63"), std::string::npos) << p.messages[0].text;
  EXPECT_EQ(parse("-r " + std::string(63, 'h')).v().host.size(), 63u);
}

TEST(CommandLine, StartProgramTakesTheRestOfTheLine) {
  Parsed p = parse("-e -c HW/p/prog  -x 1 \"two words\" -cp 2 a b");
  EXPECT_EQ(p.v().start_program, "HW/p/prog");
  EXPECT_EQ(p.v().command_line, "-x 1 \"two words\" -cp 2 a b");
  EXPECT_EQ(p.mask(), kOverrideAutoEnd | kOverrideStartProgram);

  p = parse("-cp 2 one \"t w o\" -c prog x");
  EXPECT_EQ(p.v().command_line, "x one t w o");
  // A font or program name that begins like a modifier stays a value.
  EXPECT_EQ(parse("-c prog").v().start_program, "prog");
  EXPECT_EQ(parse("-f palatino 11").v().font_name, "palatino");
}

TEST(CommandLine, QuotingOfValueWords) {
  Parsed p = parse(R"(-d "a b\"c" -z C:\data\kovw)");
  EXPECT_EQ(p.v().working_directory, "a b\"c");
  EXPECT_EQ(p.v().install_path, "C:\\data\\kovw");

  std::vector<std::string> words = {"-d", "with blank", "-r", "quote\"d", "-z", "back\\slash\\",
                                    "-k", "",           "7"};
  p = parse(join_arguments(words));
  EXPECT_EQ(p.v().working_directory, "with blank");
  EXPECT_EQ(p.v().host, "quote\"d");
  EXPECT_EQ(p.v().install_path, "back\\slash\\");
  EXPECT_EQ(p.v().button_font, "");
  EXPECT_EQ(p.v().button_size, 70);
}

TEST(CommandLine, BrowserMode) {
  Parsed p = parse("-hc:1:2 42/7 -s /opt/hv -v 5000");
  EXPECT_EQ(p.options.browser_mode, 0x501);
  EXPECT_EQ(p.options.host_type, 0x0102u);
  EXPECT_EQ(p.options.browser_number, 42);
  EXPECT_EQ(p.options.browser_session, 7);
  EXPECT_EQ(p.options.instance_name, "%opt%hv-5000");
  EXPECT_TRUE(p.mask() & kOverrideBrowserNumber);

  p = parse("-h 9 -oe");
  EXPECT_EQ(p.options.browser_mode, 0x102);
  EXPECT_EQ(p.options.browser_session, 20261210);
  EXPECT_EQ(p.options.instance_name, "4724");
  EXPECT_FALSE(p.mask() & kOverrideBrowserNumber);
}

TEST(CommandLine, LeastLoadedHostCancelsTheHost) {
  Parsed p = parse("-r host -lb");
  EXPECT_EQ(p.v().host, "");
  EXPECT_EQ(p.mask(), 0u);
  EXPECT_TRUE(p.options.overrides.font_mask & kFontOverrideLeastLoaded);
}

TEST(CommandLine, WorkflowOptions) {
  auto dir = std::filesystem::temp_directory_path() / "kovw_workflow_test";
  std::filesystem::create_directories(dir);
  std::string protocol = (dir / "wf.log").string();
  Parsed p = parse("-xr wfhost -xv 4800 -xt 30 -xe run -xb u pw dom -xd " + protocol);
  EXPECT_EQ(p.action, StartAction::Run);
  const auto& wf = p.options.workflow;
  EXPECT_EQ(wf.host, "wfhost");
  EXPECT_EQ(wf.kovd_port, 4800);
  EXPECT_EQ(wf.timeout_seconds, 30);
  EXPECT_EQ(wf.command, "run");
  EXPECT_EQ(wf.domain, "dom");
  EXPECT_TRUE(wf.protocol_truncate);
  EXPECT_EQ(wf.protocol_file, protocol);
  EXPECT_TRUE(std::filesystem::exists(protocol));
  auto user = wf.user;
  net::stored_decipher(user.data(), nullptr, user.size());
  EXPECT_STREQ(reinterpret_cast<const char*>(user.data()), "u");

  Parsed bad = parse("-xq x");
  EXPECT_EQ(bad.action, StartAction::Error);

  Parsed unwritable = parse("-xe run -xp /nonexistent-dir/wf.log");
  ASSERT_EQ(unwritable.messages.size(), 1u);
  EXPECT_EQ(unwritable.messages[0].number, 10069);
  std::filesystem::remove_all(dir);
}

TEST(CommandLine, InstallHelperAndOtherOneShotActions) {
  Parsed p = parse("-jf+ d /opt/data");
  EXPECT_EQ(p.action, StartAction::InstallHelper);
  EXPECT_EQ(p.options.foreground_lock, 1);
  EXPECT_EQ(p.options.install_path, "/opt/data");
  EXPECT_EQ(parse("-i -r ignored").action, StartAction::SelfUpdate);
}

}  // namespace
}  // namespace kovw::shell

namespace kovw::shell {
namespace {

TEST(CommandLine, RecordNamesTheTraceDirectory) {
  Parsed given = parse("--record \"/tmp/my traces\" -l");
  EXPECT_EQ(given.action, StartAction::Run);
  EXPECT_EQ(given.options.record_directory, "/tmp/my traces");
  EXPECT_EQ(given.v().auto_login, 1);  // the options after it still count
  // Without a directory, in a kovw: link (a web page must not make the workstation write
  // files) and misspelt, it is an error.
  for (const char* text : {"--record", "kovw:--record%20/tmp", "--recrod /tmp"}) {
    SCOPED_TRACE(text);
    Parsed p = parse(text);
    EXPECT_EQ(p.action, StartAction::Error);
    EXPECT_TRUE(p.options.record_directory.empty());
    EXPECT_FALSE(p.messages.empty());
  }
}

}  // namespace
}  // namespace kovw::shell
