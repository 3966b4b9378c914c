#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "platform/registry/Registry.h"

namespace ynx {
namespace {

namespace fs = std::filesystem;

// As the settings text spells it: two backslash characters between components.
const char KEY[] = "Software\\\\Quorvane\\\\Vellumere 3D Screensaver";
const char SMALL[] = "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=dword:00000001\n\n";

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// A miss must leave the caller's variable alone.
std::optional<uint32_t> Dword(const Registry& registry, const std::string& path, const std::string& name) {
  uint32_t value = 12345;
  if (registry.QueryDword(path, name, value)) return value;
  EXPECT_EQ(value, 12345u);
  return std::nullopt;
}

std::optional<std::string> Text(const Registry& registry, const std::string& path, const std::string& name) {
  std::string value = "unchanged";
  if (registry.QueryString(path, name, value)) return value;
  EXPECT_EQ(value, "unchanged");
  return std::nullopt;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = fs::path(::testing::TempDir()) / (std::string("registry-") + info->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  fs::path Folder() const { return folder / "Quorvane"; }
  fs::path File() const { return Folder() / "Registry.reg"; }
  Registry Loaded() {
    Registry registry(File().string());
    EXPECT_TRUE(registry.Load(error)) << Registry::ErrorText(error);
    return registry;
  }

  fs::path folder;
  int error = 0;
  bool created = false;
};

TEST_F(RegistryTest, FirstUseCreatesTheFileAndAnotherInstanceReadsEverythingBack) {
  Registry first = Loaded();
  ASSERT_TRUE(first.CreateKey(KEY, created, error)) << Registry::ErrorText(error);
  EXPECT_TRUE(created);
  EXPECT_EQ(ReadBytes(File()), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Quorvane\\Vellumere 3D Screensaver]\n\n");
  first.SetDword(KEY, "ShowFPS", 0);
  first.SetDword(KEY, "Volume", 0xffffffff);
  first.SetString(KEY, "Scene", "Lagoon");
  first.SetString(KEY, "Empty", "");
  ASSERT_TRUE(first.Flush(error)) << Registry::ErrorText(error);

  Registry second = Loaded();
  EXPECT_TRUE(second.Notices().empty());
  for (const char* existing : {KEY, "Software\\Quorvane", "Software", ""}) {
    ASSERT_TRUE(second.CreateKey(existing, created, error));
    EXPECT_FALSE(created) << existing;
  }
  EXPECT_EQ(Dword(second, KEY, "ShowFPS"), 0u);
  EXPECT_EQ(Dword(second, KEY, "Volume"), 0xffffffffu);
  EXPECT_EQ(Text(second, KEY, "Scene"), "Lagoon");
  EXPECT_EQ(Text(second, KEY, "Empty"), "");
}

TEST_F(RegistryTest, SeparatorsAndAsciiCaseNameTheSameKeyAndValueAndTheFirstSpellingStays) {
  Registry registry = Loaded();
  ASSERT_TRUE(registry.CreateKey("\\Software\\\\Quorvane\\Vellumere 3D Screensaver\\\\", created, error));
  EXPECT_TRUE(created);
  ASSERT_TRUE(registry.CreateKey("SOFTWARE\\\\quorvane\\VELLUMERE 3d screensaver\\", created, error));
  EXPECT_FALSE(created);
  registry.SetDword("software\\quorvane\\vellumere 3d screensaver", "Volume", 1);
  registry.SetDword(KEY, "VOLUME", 2);
  registry.SetDword("SOFTWARE\\quorvane\\Other", "x", 3);
  EXPECT_EQ(Dword(registry, "Software\\QUORVANE\\\\Vellumere 3D SCREENSAVER", "volume"), 2u);
  ASSERT_TRUE(registry.Flush(error));
  EXPECT_EQ(ReadBytes(File()),
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER\\Software\\Quorvane\\Other]\n\"x\"=dword:00000003\n\n"
            "[HKEY_CURRENT_USER\\Software\\Quorvane\\Vellumere 3D Screensaver]\n\"Volume\"=dword:00000002\n\n");

  // A key line has no escape for a line break.
  EXPECT_FALSE(registry.CreateKey("Software\\Line\nBreak", created, error));
  EXPECT_EQ(error, EINVAL);
  EXPECT_FALSE(registry.SetDword("Software\\Line\rBreak", "x", 1));
}

TEST_F(RegistryTest, AValueOfAnotherTypeIsNotFoundAndUnknownBinaryTypesSurvive) {
  WriteBytes(File(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"Text\"=\"5\"\n\"Number\"=dword:5\n\"Blob\"=hex:01,02,\\\n  ff\n\n");
  Registry registry = Loaded();
  EXPECT_EQ(Dword(registry, "K", "Text"), std::nullopt);
  EXPECT_EQ(Text(registry, "K", "Number"), std::nullopt);
  EXPECT_EQ(Dword(registry, "K", "Blob"), std::nullopt);
  EXPECT_EQ(Text(registry, "K", "Blob"), std::nullopt);
  EXPECT_EQ(Dword(registry, "K", "Missing"), std::nullopt);
  EXPECT_EQ(Dword(registry, "Missing", "Number"), std::nullopt);
  EXPECT_EQ(Dword(registry, "K", "Number"), 5u);

  registry.SetString("K", "number", "five");
  EXPECT_EQ(Dword(registry, "K", "Number"), std::nullopt);
  ASSERT_TRUE(registry.Flush(error));
  EXPECT_EQ(ReadBytes(File()),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"Text\"=\"5\"\n\"Number\"=\"five\"\n\"Blob\"=hex:01,02,ff\n\n");
}

TEST_F(RegistryTest, AFileThatCannotBeReadFailsTheLoadAndIsNeverReplaced) {
  // A folder in the file's place cannot be read, whoever runs the test.
  fs::create_directories(File() / "inside");
  Registry registry(File().string());
  EXPECT_FALSE(registry.Load(error));
  EXPECT_EQ(error, EISDIR);
  registry.SetDword("K", "a", 2);
  error = 0;
  EXPECT_FALSE(registry.Flush(error));
  EXPECT_EQ(error, EISDIR);
  EXPECT_FALSE(registry.CreateKey("New", created, error));
  EXPECT_FALSE(created);
  EXPECT_TRUE(fs::is_directory(File() / "inside"));

  if (geteuid() == 0) GTEST_SKIP() << "root reads a file whatever its mode";
  fs::remove_all(File());
  WriteBytes(File(), SMALL);
  fs::permissions(File(), fs::perms::none);
  Registry locked(File().string());
  EXPECT_FALSE(locked.Load(error));
  EXPECT_EQ(error, EACCES);
  EXPECT_FALSE(locked.Flush(error));
  fs::permissions(File(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadBytes(File()), SMALL);
}

TEST_F(RegistryTest, AFileThatIsNotARegistryIsKeptAsideByteForByte) {
  const std::string cases[] = {
      std::string("\x7f" "ELF\x02\x01\x00\xff garbage", 16),
      "",
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"cut sho",
      "[HKEY_CURRENT_USER\\K]\n\"a\"=dword:00000001\n",
      "REGEDIT5\n[HKEY_CURRENT_USER\\K]\n",
      "REGEDIT4\n\"a\"=dword:1\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=dword:123456789\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=dword:12g4\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=qword:1\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=hex:1,02\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"bad \\q escape\"\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"text\" tail\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\K]\na=dword:1\n",
      "REGEDIT4\n[HKEY_CURRENT_USER\\K\n",
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n",
      "REGEDIT4\n[HKEY_CURRENT_USERS\\K]\n",
  };
  std::set<std::string> kept;
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(::testing::PrintToString(bytes));
    WriteBytes(File(), bytes);
    const Registry registry = Loaded();
    EXPECT_EQ(Dword(registry, "K", "a"), std::nullopt);
    std::set<std::string> entries = Entries(Folder());
    ASSERT_EQ(entries.size(), kept.size() + 1) << "moved, and no file kept earlier replaced";
    for (const std::string& name : kept) entries.erase(name);
    const std::string aside = *entries.begin();
    kept.insert(aside);
    EXPECT_TRUE(aside.starts_with("Registry.reg.broken-")) << aside;
    EXPECT_EQ(ReadBytes(Folder() / aside), bytes);
    ASSERT_EQ(registry.Notices().size(), 1u);
    EXPECT_NE(registry.Notices()[0].find((Folder() / aside).string()), std::string::npos) << registry.Notices()[0];
  }

  WriteBytes(File(), "REGEDIT4\n");
  fs::resize_file(File(), Registry::MAX_FILE_SIZE + 1);
  EXPECT_EQ(Loaded().Notices().size(), 1u);
  EXPECT_FALSE(fs::exists(File()));
  EXPECT_EQ(Entries(Folder()).size(), kept.size() + 1);
}

TEST_F(RegistryTest, FlushReplacesTheFileWholeOrNotAtAll) {
  const std::set<std::string> alone = {"Registry.reg"};
  Registry registry = Loaded();
  registry.SetDword("K", "a", 1);
  ASSERT_TRUE(registry.Flush(error));
  EXPECT_EQ(Entries(Folder()), alone);

  // A write cut short, as on a full disk: the file size limit stops it.
  registry.SetString("K", "big", std::string(100000, 'x'));
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit oldLimit;
  getrlimit(RLIMIT_FSIZE, &oldLimit);
  rlimit small = oldLimit;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  const bool flushed = registry.Flush(error);
  const int flushError = error;
  const bool keyCreated = registry.CreateKey("New", created, error);
  setrlimit(RLIMIT_FSIZE, &oldLimit);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(flushed);
  EXPECT_EQ(flushError, EFBIG);
  EXPECT_FALSE(keyCreated || created);
  EXPECT_EQ(ReadBytes(File()), SMALL);
  EXPECT_EQ(Entries(Folder()), alone);
  ASSERT_TRUE(registry.CreateKey("New", created, error));
  EXPECT_TRUE(created) << "a key whose write failed was not created";

  // The rename fails on a folder in the file's place; the temporary file goes.
  fs::create_directories(folder / "Taken.reg" / "inside");
  EXPECT_FALSE(Registry((folder / "Taken.reg").string()).Flush(error));
  EXPECT_EQ(error, EISDIR);
  EXPECT_EQ(Entries(folder), (std::set<std::string>{"Quorvane", "Taken.reg"}));
  WriteBytes(folder / "Plain", "");
  EXPECT_FALSE(Registry((folder / "Plain" / "Sub" / "Registry.reg").string()).Flush(error));

  if (geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder";
  const std::string current = ReadBytes(File());
  fs::permissions(Folder(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(registry.Flush(error));
  EXPECT_EQ(error, EACCES);
  fs::permissions(Folder(), fs::perms::owner_all);
  EXPECT_EQ(ReadBytes(File()), current);
  EXPECT_EQ(Entries(Folder()), alone);
}

TEST_F(RegistryTest, WritesAStableFileAndReadsItBackTolerantly) {
  Registry registry = Loaded();
  registry.SetString("b", "Note", "a \"quoted\" text with a \\ backslash");
  registry.SetDword("B", "Volume", 0x50);
  registry.SetString("A", "Имя", "Привет\r\nмир");
  registry.SetDword("a\\Z", "", 0xdeadbeef);
  registry.SetDword("A B", "x", 1);
  registry.SetDword("b", "volume", 0x51);
  ASSERT_TRUE(registry.Flush(error));
  const std::string golden =
      "REGEDIT4\n"
      "\n"
      "[HKEY_CURRENT_USER\\A]\n"
      "\"Имя\"=\"Привет\\r\\nмир\"\n"
      "\n"
      "[HKEY_CURRENT_USER\\A\\Z]\n"
      "@=dword:deadbeef\n"
      "\n"
      "[HKEY_CURRENT_USER\\A B]\n"
      "\"x\"=dword:00000001\n"
      "\n"
      "[HKEY_CURRENT_USER\\b]\n"
      "\"Note\"=\"a \\\"quoted\\\" text with a \\\\ backslash\"\n"
      "\"Volume\"=dword:00000051\n"
      "\n";
  EXPECT_EQ(ReadBytes(File()), golden);

  // CRLF, comments and extra blank lines, as an editor might leave them.
  std::string edited = "; settings\r\n\r\n";
  for (char c : golden) edited += c == '\n' ? std::string("\r\n") : std::string(1, c);
  edited.insert(edited.find("\"Volume\""), "\r\n  ; the volume\r\n");
  WriteBytes(File(), edited);
  Registry reread = Loaded();
  EXPECT_EQ(Text(reread, "a", "Имя"), "Привет\r\nмир");
  EXPECT_EQ(Text(reread, "a", "имя"), std::nullopt) << "only ASCII letters fold";
  EXPECT_EQ(Text(reread, "B", "NOTE"), "a \"quoted\" text with a \\ backslash");
  EXPECT_EQ(Dword(reread, "A\\z", ""), 0xdeadbeefu);
  ASSERT_TRUE(reread.Flush(error));
  EXPECT_EQ(ReadBytes(File()), golden);
  EXPECT_TRUE(reread.Notices().empty());
}

TEST(RegistryPathTest, DefaultFileFollowsTheXdgRules) {
  const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::string config = savedConfig != nullptr ? savedConfig : "";
  const std::string home = savedHome != nullptr ? savedHome : "";
  setenv("XDG_CONFIG_HOME", "/x/config", 1);
  EXPECT_EQ(Registry::DefaultFilePath(), "/x/config/Quorvane/Registry.reg");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(Registry::DefaultFilePath(), "/home/someone/.config/Quorvane/Registry.reg");
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("HOME");
  const passwd* user = getpwuid(getuid());
  EXPECT_EQ(Registry::DefaultFilePath(),
            user != nullptr ? std::string(user->pw_dir) + "/.config/Quorvane/Registry.reg" : std::string());
  savedConfig != nullptr ? setenv("XDG_CONFIG_HOME", config.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  savedHome != nullptr ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
}

}  // namespace
}  // namespace ynx
