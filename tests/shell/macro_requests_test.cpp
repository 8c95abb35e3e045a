#include "shell/macro_requests.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "shell/macro_archive.h"
#include "support/test_application.h"

namespace kovw::shell {
namespace {

namespace fs = std::filesystem;

struct Status {
  int code;
  std::string name;
  std::string text;
  bool operator==(const Status&) const = default;
};

void PrintTo(const Status& s, std::ostream* os) {
  *os << s.code << " " << s.name << " " << s.text;
}

void write_file(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The requests over a temporary data directory, a fake daemon and fake workstation starts.
struct Fixture {
  QTemporaryDir temp;
  fs::path data = temp.path().toStdString();
  fs::path root = data / "makro";
  std::vector<Status> statuses;
  std::vector<std::string> started;
  std::vector<std::function<void(int)>> running;
  std::vector<std::string> info;
  // The fetch copies this file (empty: fails).
  std::string package;
  int start_error = 0;
  std::unique_ptr<MacroRequests> requests;

  Fixture() {
    test::application();
    MacroRequestPort port;
    port.data_directory = data.string();
    port.send_status = [this](const protocol::ScriptStatus& s) {
      statuses.push_back({s.code, s.name, s.text});
    };
    port.fetch = [this](FetchJob job, std::function<void(FetchOutcome)> done) {
      FetchOutcome outcome;
      std::error_code ec;
      if (!package.empty())
        fs::copy_file(package, job.local_path, fs::copy_options::overwrite_existing, ec);
      outcome.result = package.empty() || ec ? -2 : 0;
      QTimer::singleShot(0, [done, outcome] { done(outcome); });
    };
    port.start_workstation = [this](const std::string& file, std::function<void(int)> ended) {
      if (start_error != 0) return start_error;
      started.push_back(file);
      running.push_back(std::move(ended));
      return 0;
    };
    port.show_info = [this](const std::string& text) { info.push_back(text); };
    port.random_pause_ms = [] { return 5; };
    requests = std::make_unique<MacroRequests>(port);
  }

  void send(const protocol::Outgoing& message) { requests->handle(message.type, message.payload); }
  void settle() {
    for (int i = 0; i < 50; ++i) QTest::qWait(5);
  }
};

TEST(MacroRequests, DeleteOneOrAll) {
  Fixture f;
  write_file(f.root / "a" / "x.mdx", "a");
  write_file(f.root / "b" / "x.mdx", "b");
  write_file(f.data / "kovw.log", "keep");
  f.send(protocol::build_macro_delete({0, "a"}));
  EXPECT_FALSE(fs::exists(f.root / "a"));
  EXPECT_TRUE(fs::exists(f.root / "b"));
  for (const char* hostile : {"..", "../makro", "b/../..", ""}) {
    f.send(protocol::build_macro_delete({0, hostile}));
    EXPECT_TRUE(fs::exists(f.root / "b")) << hostile;
  }
  f.send(protocol::build_macro_delete({protocol::kMacroAll, ""}));
  EXPECT_FALSE(fs::exists(f.root));
  EXPECT_TRUE(fs::exists(f.data / "kovw.log"));
}

TEST(MacroRequests, ReceiveUnpacksThePackageOrReportsTheError) {
  Fixture f;
  write_file(f.data / "src" / "prog_1.mdx", "rec");
  f.package = (f.data / "p.zip").string();
  std::string error;
  ASSERT_TRUE(pack_macro_directory((f.data / "src").string(), f.package, error)) << error;
  f.send(protocol::build_macro_file({0, "/host/p.zip", "Auftrag"}));
  f.settle();
  EXPECT_TRUE(fs::exists(f.root / "Auftrag" / "prog_1.mdx"));
  f.send(protocol::build_macro_file({0, "/host/p.zip", "../evil"}));
  f.settle();
  EXPECT_FALSE(fs::exists(f.data / "evil"));
  f.package.clear();
  f.send(protocol::build_macro_file({0, "/host/none.zip", "Other"}));
  f.settle();
  EXPECT_EQ(f.statuses, (std::vector<Status>{{5, "Auftrag", "Receive ok"},
                                             {37, "../evil", "Receive Error"},
                                             {37, "Other", "Receive Error"}}));
}

TEST(MacroRequests, StartOneMacroWaitsForItsEndWithoutBlocking) {
  Fixture f;
  fs::create_directories(f.root / "M");
  f.send(protocol::build_macro_start({protocol::kMacroWait, "M", ""}));
  ASSERT_EQ(f.started, std::vector<std::string>{(f.root / "M" / "start.kovw").string()});
  EXPECT_TRUE(f.requests->running());
  EXPECT_EQ(f.statuses, (std::vector<Status>{{9, "M", "Executing"}}));
  f.running[0](0);
  EXPECT_FALSE(f.requests->running());
  EXPECT_EQ(f.statuses.back(), (Status{1, "M", "Finished"}));
  EXPECT_EQ(f.info, (std::vector<std::string>{"Makro M aktiv.", ""}));
}

TEST(MacroRequests, StartAllStopsAtTheFirstFailure) {
  Fixture f;
  for (const char* name : {"a", "b", "c"}) fs::create_directories(f.root / name);
  f.send(protocol::build_macro_start(
      {protocol::kMacroAll | protocol::kMacroWait | protocol::kMacroRandomPause, "", ""}));
  ASSERT_EQ(f.started.size(), 1u);
  f.running[0](0);
  f.settle();  // the pause before the second
  ASSERT_EQ(f.started.size(), 2u);
  f.running[1](3);
  f.settle();
  EXPECT_EQ(f.started.size(), 2u);
  EXPECT_FALSE(f.requests->running());
  EXPECT_EQ(f.statuses, (std::vector<Status>{
                            {9, "a", "Executing"}, {9, "b", "Executing"}, {1, "", "Finished"}}));
}

TEST(MacroRequests, StartFailuresAndScriptsAreReported) {
  Fixture f;
  f.start_error = 2;
  f.send(protocol::build_macro_start({0, "M", ""}));
  f.send(protocol::build_macro_start({0, "a/b", ""}));
  f.send(protocol::build_macro_start({protocol::kMacroPackage, "S", "/host/s.zip"}));
  f.settle();
  f.requests->handle(protocol::kTypeScriptAbort, {});
  const std::string file = (f.root / "M" / "start.kovw").string();
  EXPECT_EQ(f.statuses, (std::vector<Status>{{9, "M", "Executing"},
                                             {33, "M", "Fehler 2, Datei " + file},
                                             {1, "M", "Finished"},
                                             {33, "a/b", "Fehler 22, Datei a/b"},
                                             {37, "S", "Receive Error"},
                                             {1, "S", "Finished"},
                                             {1, "<none>", "No Script active"}}));
}

}  // namespace
}  // namespace kovw::shell
