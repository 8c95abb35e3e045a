#include "net/encrypted_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "net/stored_cipher.h"

namespace kovw::net {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A transfer password as a host sends it: enciphered with the stored-data cipher.
std::array<std::uint8_t, 16> transfer_password(const char* text) {
  std::array<std::uint8_t, 16> field{};
  std::memcpy(field.data(), text, std::min<std::size_t>(std::strlen(text), 16));
  stored_encipher(field.data(), nullptr, field.size());
  return field;
}

class EncryptedFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("kovw_encfile_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string write(const std::string& name, const Bytes& content) {
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(content.data()),
               static_cast<std::streamsize>(content.size()));
    return path;
  }
  static Bytes read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir;
  std::array<std::uint8_t, 16> password = transfer_password("Geheimnis");
};

TEST_F(EncryptedFile, SizesAndRoundTrip) {
  struct Case {
    std::string name;
    std::size_t length;
    std::size_t encrypted_size;
  };
  const Case cases[] = {
      {"leer.txt", 0, 16 + 16 + 16},
      {"zweiunddreissig", 32, 16 + 16 + 32 + 16},   // 15 characters: name area 16
      {"dreiunddreissig!", 33, 16 + 32 + 32 + 16},  // 16 characters: name area 32
      {"gross.bin", 100000, 16 + 16 + 100000 / 16 * 16 + 16},
  };
  for (const Case& c : cases) {
    Bytes content(c.length);
    for (std::size_t i = 0; i < c.length; ++i) content[i] = static_cast<std::uint8_t>(i % 251);
    const std::string source = write(c.name, content);
    const std::string encrypted = (dir / (c.name + ".enc")).string();
    const std::string plain = (dir / (c.name + ".out")).string();
    FileCryptError error;
    ASSERT_EQ(1, file_encrypt(source, encrypted, password.data(), &error)) << error.text;
    EXPECT_EQ(c.encrypted_size, fs::file_size(encrypted)) << c.name;
    ASSERT_EQ(1, file_decrypt(encrypted, plain, password.data(), &error)) << error.text;
    EXPECT_EQ(content, read(plain)) << c.name;
  }
}

TEST_F(EncryptedFile, WrongPasswordAndDamagedFiles) {
  const std::string source = write("daten.txt", Bytes(40, 'd'));
  const std::string encrypted = (dir / "daten.enc").string();
  const std::string out = (dir / "daten.out").string();
  ASSERT_EQ(1, file_encrypt(source, encrypted, password.data()));
  const auto wrong = transfer_password("Falsch");
  FileCryptError error;
  EXPECT_EQ(0, file_decrypt(encrypted, out, wrong.data(), &error));
  EXPECT_EQ(kFileCorrupted, error.text);
  EXPECT_EQ(kFileCorrupted, file_crypt_last_error().text);

  Bytes bytes = read(encrypted);
  const Bytes good = bytes;
  bytes.push_back(0);  // a final block that is not at the end of the file
  EXPECT_EQ(0, file_decrypt(write("extra.enc", bytes), out, password.data(), &error));
  EXPECT_EQ(kFileCorrupted, error.text);
  bytes = good;
  bytes.resize(bytes.size() - 16);  // no final block: the last full block holds a bad count
  bytes.resize(16 + 16);            // header and name area only
  EXPECT_EQ(0, file_decrypt(write("cut.enc", bytes), out, password.data(), &error));
  EXPECT_EQ(kFileCorrupted, error.text);
  EXPECT_EQ(0, file_decrypt(write("tiny.enc", Bytes(7, 1)), out, password.data(), &error));
  EXPECT_EQ(kFileReadError, error.text);
  EXPECT_EQ(0, file_decrypt((dir / "fehlt").string(), out, password.data(), &error));
  EXPECT_EQ(kFileReadError, error.text);
  EXPECT_EQ(ENOENT, error.code);
  EXPECT_EQ(0, file_encrypt(source, (dir / "kein/ordner").string(), password.data(), &error));
  EXPECT_EQ(kFileWriteError, error.text);
}

TEST_F(EncryptedFile, ReadsVersionZeroAndCapsTheNameArea) {
  std::array<std::uint8_t, 32> key{};
  ASSERT_TRUE(file_key_from_password(password.data(), key));
  TwofishCipher cipher;
  cipher.set_key(key.data(), key.size());
  auto encrypt_alone = [&](Bytes block) {
    cipher.encrypt_block(block.data(), block.data());
    return block;
  };
  // Version 0: "bTWF", N little-endian, name blocks on their own, data chained from the header.
  Bytes header = {'b', 'T', 'W', 'F', 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Bytes file = encrypt_alone(header);
  const Bytes name = encrypt_alone(Bytes{'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  file.insert(file.end(), name.begin(), name.end());
  Bytes final_block = {'x', 'y', 'z', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3};
  for (int i = 0; i < 16; ++i) final_block[i] ^= file[i];
  const Bytes data = encrypt_alone(final_block);
  file.insert(file.end(), data.begin(), data.end());
  const std::string out = (dir / "v0.out").string();
  FileCryptError error;
  ASSERT_EQ(1, file_decrypt(write("v0.enc", file), out, password.data(), &error)) << error.text;
  EXPECT_EQ((Bytes{'x', 'y', 'z'}), read(out));

  // A name area above the cap is refused before anything is read.
  header[5] = 0x10;  // N = 0x1010
  Bytes big = encrypt_alone(header);
  big.resize(16 + 0x1010 + 16, 0);
  EXPECT_EQ(0, file_decrypt(write("big.enc", big), out, password.data(), &error));
  EXPECT_EQ(kFileCorrupted, error.text);
}

TEST_F(EncryptedFile, PasswordWithoutReplacementValueIsRefused) {
  std::array<std::uint8_t, 16> field{};
  field[2] = 'x';
  stored_encipher(field.data(), nullptr, field.size());
  std::array<std::uint8_t, 32> key{};
  EXPECT_FALSE(file_key_from_password(field.data(), key));
  FileCryptError error;
  EXPECT_EQ(0, file_encrypt(write("a", {1}), (dir / "b").string(), field.data(), &error));
  EXPECT_EQ(kFileBadPassword, error.text);
  // Different passwords give different keys.
  std::array<std::uint8_t, 32> k1{}, k2{};
  ASSERT_TRUE(file_key_from_password(transfer_password("eins").data(), k1));
  ASSERT_TRUE(file_key_from_password(transfer_password("zwei").data(), k2));
  EXPECT_NE(k1, k2);
}

}  // namespace
}  // namespace kovw::net
