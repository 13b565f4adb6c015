#include "config/config_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vexa {
namespace {

// vexa.cfg in memory: records what the store wrote and can fail like a disk.
class MemoryConfigFile : public ConfigFile {
 public:
  ReadOutcome outcome = ReadOutcome::Read;
  std::string content;
  std::string readReason;
  Status writeResult;
  int writes = 0;

  ReadOutcome Read(std::string* bytes, std::string* reason) override {
    if (outcome == ReadOutcome::Read) *bytes = content;
    if (outcome == ReadOutcome::Unreadable) *reason = readReason;
    return outcome;
  }
  Status Write(const std::string& bytes) override {
    ++writes;
    if (writeResult.ok) content = bytes;
    return writeResult;
  }
  std::uint64_t LastWriteTime() override { return outcome == ReadOutcome::Missing ? 0 : time; }
  std::uint64_t time = 100;
};

std::string LoadAndSave(const std::string& bytes) {
  MemoryConfigFile file;
  file.content = bytes;
  ConfigStore store(file);
  store.Load();
  EXPECT_TRUE(store.Save().ok);
  return file.content;
}

TEST(ConfigStoreParse, AcceptsOnlyLinesWhoseEqualsStandsAtOffsetTwoOrLater) {
  MemoryConfigFile file;
  ConfigStore store(file);
  store.Parse("ab=1\nc=2\n=3\nno separator\n\nd =4\n");
  ASSERT_EQ(store.Entries().size(), 2u);
  EXPECT_EQ(store.Entries()[0].key, "ab");
  EXPECT_EQ(store.Entries()[0].value, "1");
  // The same one-letter key survives when a space keeps "=" off offset 1.
  EXPECT_EQ(store.Entries()[1].key, "d");
  EXPECT_EQ(store.Entries()[1].value, "4");
}

TEST(ConfigStoreParse, TrimsOnlySpacesAndKeepsFurtherEquals) {
  MemoryConfigFile file;
  ConfigStore store(file);
  store.Parse("   port   =   a = b   \r\nkey\t= tabbed\n key2 =\t v\t \n");
  ASSERT_EQ(store.Entries().size(), 3u);
  EXPECT_EQ(store.Get("port", "x"), "a = b");
  EXPECT_EQ(store.Get("key", "default"), "default");
  EXPECT_EQ(store.Get("key\t", "default"), "tabbed");
  EXPECT_EQ(store.Get("key2", ""), "\t v\t");
  EXPECT_EQ(store.Get(" key2", "none"), "none");
}

TEST(ConfigStoreParse, LineEndsAreLfWithAnOptionalCr) {
  MemoryConfigFile file;
  ConfigStore store(file);
  store.Parse("a1 = x\ry\r\nb1 = bare\nc1 = cr only\r\rd1 = last");
  ASSERT_EQ(store.Entries().size(), 3u);
  EXPECT_EQ(store.Get("a1", ""), "x\ry");
  EXPECT_EQ(store.Get("b1", ""), "bare");
  // Only the CR right before LF belongs to the line end; a lone CR is data.
  EXPECT_EQ(store.Get("c1", ""), "cr only\r\rd1 = last");
}

TEST(ConfigStoreSave, WritesCrLfLinesInStoreOrderAndDropsEmptyValues) {
  EXPECT_EQ(LoadAndSave("z_key=  1  \nempty =   \nother = two words \n\nlast=x\n"),
            "z_key = 1\r\nother = two words\r\nlast = x\r\n");
  EXPECT_EQ(LoadAndSave(""), "");

  MemoryConfigFile file;
  file.content = "port = 80\r\nempty = \r\n";
  ConfigStore store(file);
  store.Load();
  EXPECT_EQ(store.Get("empty", "default"), "");
  store.Set("new_key", " padded ");
  store.Set("port", "6969");
  store.Set("later", "");
  ASSERT_TRUE(store.Save().ok);
  EXPECT_EQ(file.content, "port = 6969\r\nnew_key =  padded \r\n");
  EXPECT_EQ(store.Entries().size(), 4u);
}

TEST(ConfigStoreSave, KeepsDuplicateKeysAndSeesOnlyTheFirst) {
  MemoryConfigFile file;
  file.content = "dup = 1\nother = o\ndup = 2\n";
  ConfigStore store(file);
  store.Load();
  EXPECT_EQ(store.Get("dup", ""), "1");
  store.Set("dup", "3");
  EXPECT_EQ(store.Get("missing", "d"), "d");
  ASSERT_TRUE(store.Save().ok);
  EXPECT_EQ(file.content, "dup = 3\r\nother = o\r\ndup = 2\r\n");
}

TEST(ConfigStoreSave, EmptyKeyIsWrittenAndThenLostOnTheNextLoad) {
  std::string once = LoadAndSave("  = value\n");
  EXPECT_EQ(once, " = value\r\n");
  EXPECT_EQ(LoadAndSave(once), "");
}

TEST(ConfigStoreParse, DoubleByteCharactersAreNeverSplit) {
  // 嘰, 俓 and 乗 end in 0x5C, the byte of the backslash.
  ASSERT_EQ(std::string("嘰俓乗"), "\x87\x5C\x82\x5C\x81\x5C");
  MemoryConfigFile file;
  file.content = "乗 = 嘰\r\nvexa_file_dir = C:\\俓\\数据嘰\r\n"
                 "ab\x81= x = y\n"        // a lead byte swallows the first "="
                 "broken = v\x81 \n";     // and the space after it
  ConfigStore store(file);
  store.Load();
  ASSERT_EQ(store.Entries().size(), 4u);
  EXPECT_EQ(store.Get("乗", ""), "嘰");
  EXPECT_EQ(store.Get("vexa_file_dir", ""), "C:\\俓\\数据嘰");
  EXPECT_EQ(store.Get("ab\x81= x", ""), "y");
  EXPECT_EQ(store.Get("broken", ""), "v\x81 ");
  ASSERT_TRUE(store.Save().ok);
  EXPECT_EQ(file.content,
            "乗 = 嘰\r\nvexa_file_dir = C:\\俓\\数据嘰\r\nab\x81= x = y\r\nbroken = v\x81 \r\n");
}

TEST(ConfigStoreParse, LongLinesAndBinaryJunkSurviveByteForByte) {
  std::string longValue(700, 'v');
  longValue += "目录嘰";
  std::string nul("k\0ey = v\0al\n", 12);
  EXPECT_EQ(LoadAndSave("long_key = " + longValue + "\n" + nul + "\xFF\xFE\x81\n\x81=\x81\n"),
            "long_key = " + longValue + "\r\n" + std::string("k\0ey = v\0al\r\n", 13));

  // Random bytes: nothing may crash or read past the end (ASan watches).
  std::uint32_t seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::string junk;
    for (int i = round % 97; i > 0; --i) {
      seed = seed * 1103515245u + 12345u;
      const char pick[] = {'=', ' ', '\r', '\n', '\0', '\x81', '\x5C', 'a'};
      junk += (seed >> 28) < 8 ? pick[(seed >> 16) % 8] : static_cast<char>(seed >> 16);
    }
    MemoryConfigFile file;
    ConfigStore store(file);
    store.Parse(junk);
    for (const ConfigEntry& entry : store.Entries()) {
      ASSERT_LE(entry.key.size() + entry.value.size(), junk.size());
    }
    store.Serialize();
  }
}

TEST(ConfigStoreLoad, MissingFileGivesAnEmptyStoreThatSaves) {
  MemoryConfigFile file;
  file.outcome = ConfigFile::ReadOutcome::Missing;
  ConfigStore store(file);
  store.Load();
  EXPECT_TRUE(store.Entries().empty());
  EXPECT_EQ(store.Get("port", "80"), "80");
  store.Set("port", "6969");
  ASSERT_TRUE(store.Save().ok);
  EXPECT_EQ(file.content, "port = 6969\r\n");
}

TEST(ConfigStoreLoad, UnreadableFileIsNeverOverwritten) {
  MemoryConfigFile file;
  file.outcome = ConfigFile::ReadOutcome::Unreadable;
  file.content = "port = 1234\r\n";
  file.readReason = u8"另一个程序正在使用此文件";
  ConfigStore store(file);
  store.Load();
  EXPECT_EQ(store.Get("port", "80"), "80");
  store.Set("port", "6969");
  Status status = store.Save();
  EXPECT_FALSE(status.ok);
  EXPECT_NE(status.message.find("vexa.cfg"), std::string::npos);
  EXPECT_NE(status.message.find(u8"程序启动时无法读取"), std::string::npos);
  EXPECT_NE(status.message.find(file.readReason), std::string::npos);
  EXPECT_EQ(file.writes, 0);
  EXPECT_EQ(file.content, "port = 1234\r\n");
  EXPECT_FALSE(store.Save().ok);
  EXPECT_EQ(store.Get("port", "80"), "6969");
}

// What the main window reports once at start-up.
TEST(ConfigStoreLoad, LoadStatusNamesAnUnreadableFileAndTheReasonOnly) {
  MemoryConfigFile file;
  file.content = "port = 1234\r\n";
  for (auto outcome : {ConfigFile::ReadOutcome::Read, ConfigFile::ReadOutcome::Missing}) {
    file.outcome = outcome;
    ConfigStore store(file);
    store.Load();
    EXPECT_TRUE(store.LoadStatus().ok);
  }
  file.outcome = ConfigFile::ReadOutcome::Unreadable;
  file.readReason = u8"另一个程序正在使用此文件";
  ConfigStore store(file);
  store.Load();
  Status status = store.LoadStatus();
  EXPECT_FALSE(status.ok);
  EXPECT_NE(status.message.find(u8"无法读取 vexa.cfg"), std::string::npos) << status.message;
  EXPECT_NE(status.message.find(u8"默认值"), std::string::npos) << status.message;
  EXPECT_NE(status.message.find(u8"原因：另一个程序正在使用此文件"), std::string::npos);
  EXPECT_EQ(status.message.find(u8"程序启动时无法读取"), std::string::npos)
      << "not the save's text";
}

TEST(ConfigStoreSave, FailedWriteIsReportedAndTheStoreKeepsItsValues) {
  MemoryConfigFile file;
  file.content = "port = 80\n";
  ConfigStore store(file);
  store.Load();
  store.Set("port", "6969");
  file.writeResult = Status::Error(u8"无法保存 vexa.cfg：磁盘已满");
  Status status = store.Save();
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(status.message, u8"无法保存 vexa.cfg：磁盘已满");
  EXPECT_EQ(store.Get("port", ""), "6969");
  // The store read writeResult through its reference to file in Save.
  // cppcheck-suppress redundantAssignment
  file.writeResult = Status::Ok();
  ASSERT_TRUE(store.Save().ok);
  EXPECT_EQ(file.content, "port = 6969\r\n");
}

TEST(ConfigStoreSave, ManySavesKeepTheStoreBoundedAndChangeNoResult) {
  MemoryConfigFile file;
  // A duplicate and a line the store skips must neither move nor come back
  // when the store reclaims the bytes of replaced values.
  file.content = "port = 80\r\n# note\r\nport = 81\r\nvexa_web_dir = 网页嘰\r\n";
  ConfigStore store(file);
  store.Load();
  // A page of 23 keys saved 2 000 times, each value changing its length
  // and sometimes empty: the saves set 0.9 MB in all, the entries hold
  // under 1 kB at any time.
  std::string expected;
  for (int save = 0; save < 2000; ++save) {
    expected = "port = ";
    expected += std::to_string(save);
    expected += "\r\nport = 81\r\nvexa_web_dir = 网页嘰\r\n";
    for (int k = 0; k < 23; ++k) {
      std::string key = "key_" + std::to_string(k);
      std::string value(static_cast<std::size_t>((save + k) % 40), 'v');
      store.Set(key, value);
      if (!value.empty()) expected.append(key).append(" = ").append(value).append("\r\n");
    }
    store.Set("port", std::to_string(save));
    ASSERT_TRUE(store.Save().ok);
  }
  EXPECT_EQ(file.content, expected);
  EXPECT_EQ(store.Get("port", ""), "1999");
  EXPECT_EQ(store.Get("key_0", "d"), std::string(39, 'v'));
  EXPECT_EQ(store.Get("key_1", "d"), "");
  EXPECT_EQ(store.Entries().size(), 26u);
  EXPECT_LT(store.HeldBytes(), 32u * 1024);
}

// Each kind of outside change, then what each answer to the question does.
TEST(ConfigStoreOutsideChange, AnyChangeSinceLoadOrSaveAsksAndOnlyYesReloads) {
  struct Edit {
    const char* what;
    void (*apply)(MemoryConfigFile&);
  };
  const Edit edits[] = {
      {"same size, other bytes", [](MemoryConfigFile& f) { f.content[7] = '9'; }},
      {"other size", [](MemoryConfigFile& f) { f.content += "extra = 1\r\n"; }},
      {"touched only", [](MemoryConfigFile& f) { ++f.time; }},
      {"removed", [](MemoryConfigFile& f) { f.outcome = ConfigFile::ReadOutcome::Missing; }},
  };
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.what);
    MemoryConfigFile file;
    file.content = "port = 6969\r\n";
    ConfigStore store(file);
    store.Load();
    EXPECT_FALSE(store.OutsideChangeNow().has_value());
    edit.apply(file);
    EXPECT_TRUE(store.OutsideChangeNow().has_value());
  }

  MemoryConfigFile file;
  file.content = "port = 6969\r\nkeep = 1\r\n";
  ConfigStore store(file);
  store.Load();
  store.Set("port", "7000");
  ASSERT_TRUE(store.Save().ok);
  EXPECT_FALSE(store.OutsideChangeNow().has_value());  // its own save
  int asked = 0;
  int told = 0;
  store.SetOutsideChangeListener([&] { ++told; });

  file.content = "port = 8000\r\nadded = 2\r\n";
  ++file.time;
  OutsideChange no = store.CheckOutsideChange([&](OutsideChangeKind kind) {
    EXPECT_EQ(kind, OutsideChangeKind::Modified);
    ++asked;
    return false;
  });
  EXPECT_FALSE(no.proceed);
  EXPECT_FALSE(no.reloaded);
  EXPECT_TRUE(no.status.ok);
  EXPECT_EQ(store.Get("keep", ""), "1");  // the store as it was
  EXPECT_EQ(file.writes, 1);

  // A file that cannot be read now is left to the save to report; asking
  // without anyone to answer writes nothing.
  file.outcome = ConfigFile::ReadOutcome::Unreadable;
  EXPECT_FALSE(store.OutsideChangeNow().has_value());
  file.outcome = ConfigFile::ReadOutcome::Read;
  EXPECT_FALSE(store.CheckOutsideChange({}).proceed);

  OutsideChange yes = store.CheckOutsideChange([&](OutsideChangeKind) {
    ++asked;
    return true;
  });
  EXPECT_TRUE(yes.proceed);
  EXPECT_TRUE(yes.reloaded);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(store.Get("port", ""), "8000");
  EXPECT_EQ(store.Get("added", ""), "2");
  EXPECT_EQ(store.Get("keep", "gone"), "gone");  // entries are the file's alone
  EXPECT_FALSE(store.OutsideChangeNow().has_value());
  EXPECT_EQ(told, 0);  // the caller tells the pages once it has saved

  // A reload that cannot read leaves the store alone and says why.
  file.content = "port = 9000\r\n";
  file.outcome = ConfigFile::ReadOutcome::Unreadable;
  file.readReason = u8"另一个程序正在使用此文件。";
  Status failed = store.ReloadAndRefresh();
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.message.find(u8"另一个程序正在使用此文件。"), std::string::npos);
  EXPECT_EQ(store.Get("port", ""), "8000");
  EXPECT_EQ(told, 0);
  file.outcome = ConfigFile::ReadOutcome::Read;
  ASSERT_TRUE(store.ReloadAndRefresh().ok);
  EXPECT_EQ(store.Get("port", ""), "9000");
  EXPECT_EQ(told, 1);
}

// A file unreadable at start-up may be read again, and then saved over.
TEST(ConfigStoreOutsideChange, ReloadEndsTheRefusalOfAFileUnreadableAtStart) {
  MemoryConfigFile file;
  file.content = "port = 1\r\n";
  file.outcome = ConfigFile::ReadOutcome::Unreadable;
  ConfigStore store(file);
  store.Load();
  EXPECT_FALSE(store.OutsideChangeNow().has_value());
  EXPECT_FALSE(store.Save().ok);
  file.outcome = ConfigFile::ReadOutcome::Read;
  ASSERT_TRUE(store.Reload().ok);
  store.Set("port", "2");
  ASSERT_TRUE(store.Save().ok);
  EXPECT_EQ(file.content, "port = 2\r\n");
  EXPECT_EQ(HashBytes("a"), 0xAF63DC4C8601EC8Cull);  // FNV-1a, 64 bits
}

}  // namespace
}  // namespace vexa
