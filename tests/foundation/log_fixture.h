#pragma once
// A log file in a fresh temporary directory, with the environment of the log's logical paths
// (PRT, TMP, TEMP, TMPDIR, HV_SYSLOG, HOME) pointed at it and restored afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/log.h"

namespace kovw::test {

class LogFileTest : public ::testing::Test {
 protected:
  static constexpr std::size_t kPrefix = 66;

  void SetUp() override {
    char pattern[] = "/tmp/kovw_log_test_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    for (const char* name : {"PRT", "TMP", "TEMP", "TMPDIR", "HV_SYSLOG", "HOME"}) {
      const char* value = std::getenv(name);
      saved_env_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      ::unsetenv(name);
    }
    ::setenv("HOME", dir_.c_str(), 1);
    ::setenv("TMPDIR", (dir_ + "/nothing").c_str(), 1);
    foundation::log_reset();
    path_ = dir_ + "/kovw.log";
    ASSERT_EQ(foundation::log_set_path(path_.c_str()), 0);
  }

  void TearDown() override {
    foundation::log_reset();
    foundation::log_set_thread_name("");
    for (const auto& [name, value] : saved_env_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }
  std::string content() const { return read_file(path_); }

  // The lines of the log (without their line ends).
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream in(content());
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }
  // The messages of the log: each line without its 66-column prefix.
  std::vector<std::string> messages() const {
    std::vector<std::string> result;
    for (const std::string& line : lines())
      result.push_back(line.size() >= kPrefix ? line.substr(kPrefix) : "<short>" + line);
    return result;
  }

  std::string dir_;
  std::string path_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_env_;
};

}  // namespace kovw::test
