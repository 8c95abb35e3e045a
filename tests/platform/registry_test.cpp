#include "platform/registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <cstdio>
#include <string>

#include "shell/temp_xdg_home.h"

using kovw::platform::Registry;
using kovw::platform::RegType;

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  // Writes the registry file by hand, as a user or a damaged disk might leave it.
  void write_ini(const char* text) {
    QDir().mkpath(home.config() + "/kovw");
    QFile file(home.config() + "/kovw/registry.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
  }
  QByteArray ini_text() {
    QFile file(home.config() + "/kovw/registry.ini");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }

  kovw::test::TempXdgHome home;
};

TEST_F(RegistryTest, LivesInTheXdgConfigDirectory) {
  Registry registry;
  EXPECT_EQ(registry.file_path(), home.config() + "/kovw/registry.ini");
  ASSERT_TRUE(registry.write_int("Settings", "Ping Timer", 30));
  EXPECT_TRUE(QFile::exists(registry.file_path()));
}

TEST_F(RegistryTest, ValuesKeepTheirTypeAndAWrongTypeReadsAsMissing) {
  {
    Registry registry;
    ASSERT_TRUE(registry.write_int("Settings", "Ping Timer", -2));
    ASSERT_TRUE(registry.write_byte("Settings", "Font Faktor", 150));
    ASSERT_TRUE(registry.write_string("Settings", "Font Name", "Courier New"));
    ASSERT_TRUE(registry.write_dword("Sizes\\prog", "geoX", 0x12345678));
    ASSERT_TRUE(registry.write_binary("Login", "Password", QByteArray(1, '\0')));
  }
  // A second instance reads what the first one wrote to the file.
  Registry registry;
  EXPECT_EQ(registry.read_int("Settings", "Ping Timer"), -2);
  auto raw = registry.read("Settings", "Ping Timer");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, RegType::Binary);
  EXPECT_EQ(raw->data, QByteArray("\xfe\xff\xff\xff", 4));  // 4 bytes little-endian
  EXPECT_EQ(registry.read_byte("Settings", "Font Faktor"), 150);
  EXPECT_EQ(registry.read_string("Settings", "Font Name"), "Courier New");
  EXPECT_EQ(registry.read_dword("Sizes\\prog", "geoX"), 0x12345678u);
  EXPECT_EQ(registry.read_binary("Login", "Password"), QByteArray(1, '\0'));

  // Reads of another type or size are missing values.
  EXPECT_FALSE(registry.read_int("Settings", "Font Faktor"));  // 1 byte, not 4
  EXPECT_FALSE(registry.read_byte("Settings", "Ping Timer"));  // 4 bytes, not 1
  EXPECT_FALSE(registry.read_int("Sizes\\prog", "geoX"));      // DWORD, not binary
  EXPECT_FALSE(registry.read_dword("Settings", "Ping Timer"));
  EXPECT_FALSE(registry.read_string("Settings", "Ping Timer"));
  EXPECT_FALSE(registry.read_int("Settings", "Font Name"));
  EXPECT_FALSE(registry.read_int("Settings", "Nothing"));
}

TEST_F(RegistryTest, KeyAndValueNamesCompareWithoutRegardToCase) {
  Registry registry;
  ASSERT_TRUE(registry.write_int("Login\\Browser\\host", "password", 1));
  EXPECT_EQ(registry.read_int("login\\BROWSER\\Host", "PassWord"), 1);
  // A write under another spelling replaces the value instead of adding a second one.
  ASSERT_TRUE(registry.write_int("LOGIN\\browser\\HOST", "Password", 2));
  EXPECT_EQ(registry.value_names("Login\\Browser\\host"), QStringList{"password"});
  EXPECT_EQ(registry.read_int("Login\\Browser\\host", "password"), 2);
  EXPECT_TRUE(registry.key_exists("login"));
  ASSERT_TRUE(registry.remove_key("LOGIN"));
  EXPECT_FALSE(registry.key_exists("Login"));
}

TEST_F(RegistryTest, EscapedNamesCannotCreateOrReachOtherKeys) {
  Registry registry;
  ASSERT_TRUE(registry.write_int("Settings", "Ping Timer", 30));
  const std::string hostile[] = {"..\\Settings", "a/b",     "x\\..\\..\\Settings", "/", "\\", "",
                                 "%2F",          "Settings"};
  for (const std::string& name : hostile) {
    const QString key = "User\\" + Registry::escape_key_name(name);
    EXPECT_FALSE(key.mid(5).contains('/')) << name;
    EXPECT_FALSE(key.mid(5).contains('\\')) << name;
    ASSERT_TRUE(registry.write_int(key, "passwd", 7)) << name;
    EXPECT_EQ(registry.subkeys("User").size(), qsizetype(&name - hostile) + 1) << name;
  }
  // Every name got a key of its own directly below "User"; nothing else changed.
  EXPECT_EQ(registry.subkeys(""), (QStringList{"Settings", "User"}));
  EXPECT_EQ(registry.value_names("Settings"), QStringList{"Ping Timer"});
  EXPECT_EQ(registry.read_int("Settings", "Ping Timer"), 30);
  for (const QString& sub : registry.subkeys("User"))
    EXPECT_TRUE(registry.subkeys("User\\" + sub).isEmpty());
  // Distinct names stay distinct.
  EXPECT_NE(Registry::escape_key_name("a/b"), Registry::escape_key_name("a\\b"));
  EXPECT_NE(Registry::escape_key_name("%2F"), Registry::escape_key_name("/"));
}

TEST_F(RegistryTest, EightBitNamesRoundTrip) {
  Registry registry;
  const QString key = "User\\" + Registry::escape_key_name("J\xfcrgen");
  ASSERT_TRUE(registry.write_string(key, "Stra\u00dfe", "M\xfcnchen"));
  Registry other;
  EXPECT_EQ(other.subkeys("User"), QStringList{QString::fromLatin1("J\xfcrgen")});
  EXPECT_EQ(other.read_string(key, "STRASSE"), std::nullopt);
  EXPECT_EQ(other.read_string(key, "Stra\u00dfe"), "M\xfcnchen");
}

TEST_F(RegistryTest, ValueNamesWithSeparatorsStayOneValue) {
  Registry registry;
  ASSERT_TRUE(registry.write_string("Environ", "A/B\\C%", "x"));
  EXPECT_EQ(registry.value_names("Environ"), QStringList{"A/B\\C%"});
  EXPECT_TRUE(registry.subkeys("Environ").isEmpty());
  EXPECT_EQ(registry.read_string("Environ", "a/b\\c%"), "x");
}

TEST_F(RegistryTest, MalformedStoredValuesReadAsMissing) {
  write_ini(
      "[Settings]\n"
      "a=dword:1\n"          // a number where binary is wanted: wrong type
      "b=hex:1e0000\n"       // 3 bytes for a 4-byte number
      "c=hex:zz000000\n"     // not hexadecimal
      "d=hex:1e00000\n"      // odd number of digits
      "e=dword:123456789\n"  // more than 32 bits
      "f=@ByteArray(abc)\n"  // a Qt type, not one of ours
      "g=plain text\n"       // no type at all
      "h=sz:with, comma\n"   // unquoted comma: read as a list, joined again
      "i=hex:1e000000\n"
      "j=dword:\n"
      "k=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x12)\n");
  Registry registry;
  EXPECT_FALSE(registry.read_int("Settings", "a"));
  EXPECT_EQ(registry.read_dword("Settings", "a"), 1u);
  EXPECT_FALSE(registry.read_int("Settings", "b"));
  EXPECT_FALSE(registry.read("Settings", "c"));
  EXPECT_FALSE(registry.read("Settings", "d"));
  EXPECT_FALSE(registry.read("Settings", "e"));
  EXPECT_FALSE(registry.read("Settings", "f"));
  EXPECT_FALSE(registry.read("Settings", "g"));
  EXPECT_EQ(registry.read_string("Settings", "h"), "with,comma");
  EXPECT_EQ(registry.read_int("Settings", "i"), 30);
  EXPECT_FALSE(registry.read("Settings", "j"));
  EXPECT_FALSE(registry.read("Settings", "k"));
}

TEST_F(RegistryTest, StringsEndAtTheirFirstZeroByte) {
  Registry registry;
  ASSERT_TRUE(registry.write_string("Settings", "List", "a, b;c=d \"e\" [f]"));
  EXPECT_EQ(Registry().read_string("Settings", "List"), "a, b;c=d \"e\" [f]");
  ASSERT_TRUE(registry.write_string("Settings", "Host", std::string_view("abc\0def", 7)));
  EXPECT_EQ(registry.read_string("Settings", "Host"), "abc");
}

TEST_F(RegistryTest, WritesWaitForTheLockOfAnotherProcess) {
  Registry registry;
  registry.set_lock_timeout(100);
  ASSERT_TRUE(registry.write_int("Settings", "Date", 1));

  // Another workstation holds the write lock: writes fail, the stored value stays.
  QLockFile other(registry.file_path() + ".write-lock");
  ASSERT_TRUE(other.tryLock(0));
  EXPECT_FALSE(registry.write_int("Settings", "Date", 2));
  EXPECT_FALSE(registry.remove_key("Settings"));
  {
    Registry::WriteGuard guard(registry);
    EXPECT_FALSE(guard.locked());
    EXPECT_FALSE(registry.write_int("Settings", "Date", 3));
  }
  other.unlock();
  EXPECT_EQ(Registry().read_int("Settings", "Date"), 1);
  EXPECT_TRUE(registry.write_int("Settings", "Date", 4));
  EXPECT_EQ(Registry().read_int("Settings", "Date"), 4);
}

// Run as a second process by the test below: holds the write lock of the registry file named
// by KOVW_LOCK_HOLDER until its standard input closes.
TEST(RegistryLockHolder, HoldsTheLockForAnotherProcess) {
  const QByteArray path = qgetenv("KOVW_LOCK_HOLDER");
  if (path.isEmpty()) GTEST_SKIP() << "only run as the helper process";
  QLockFile lock(QString::fromLocal8Bit(path) + ".write-lock");
  ASSERT_TRUE(lock.tryLock(5000));
  std::printf("locked\n");
  std::fflush(stdout);
  while (std::fgetc(stdin) != EOF) {
  }
}

TEST_F(RegistryTest, ASecondProcessHoldingTheLockBlocksWrites) {
  Registry registry;
  registry.set_lock_timeout(200);
  ASSERT_TRUE(registry.write_int("Settings", "Date", 1));

  QProcess holder;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("KOVW_LOCK_HOLDER", registry.file_path());
  holder.setProcessEnvironment(env);
  holder.start(QFileInfo("/proc/self/exe").symLinkTarget(),
               {"--gtest_filter=RegistryLockHolder.HoldsTheLockForAnotherProcess"});
  ASSERT_TRUE(holder.waitForStarted(10000));
  while (!holder.readAllStandardOutput().contains("locked")) {
    ASSERT_TRUE(holder.waitForReadyRead(10000)) << "helper did not take the lock";
  }
  EXPECT_FALSE(registry.write_int("Settings", "Date", 2));
  holder.closeWriteChannel();
  ASSERT_TRUE(holder.waitForFinished(10000));
  EXPECT_EQ(holder.exitCode(), 0);
  EXPECT_TRUE(registry.write_int("Settings", "Date", 3));
  EXPECT_EQ(Registry().read_int("Settings", "Date"), 3);
}

TEST_F(RegistryTest, ALockLeftByADeadProcessIsTakenOver) {
  Registry registry;
  registry.set_lock_timeout(2000);
  QDir().mkpath(home.config() + "/kovw");
  QFile stale(registry.file_path() + ".write-lock");
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  // The lock file of a process that no longer runs on this machine.
  stale.write("2147483646\nkovw\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  stale.close();
  EXPECT_TRUE(registry.write_int("Settings", "Date", 5));
  EXPECT_EQ(Registry().read_int("Settings", "Date"), 5);
}

TEST_F(RegistryTest, WritesOfTwoInstancesMerge) {
  Registry first;
  Registry second;
  ASSERT_TRUE(first.write_int("Settings", "Date", 20261210));
  ASSERT_TRUE(second.write_string("Login", "Host", "alpha"));
  second.refresh();
  first.refresh();
  EXPECT_EQ(first.read_string("Login", "Host"), "alpha");
  EXPECT_EQ(second.read_int("Settings", "Date"), 20261210);
}

}  // namespace
