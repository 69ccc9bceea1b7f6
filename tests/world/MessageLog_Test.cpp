#include "MessageLog.h"

#include <gtest/gtest.h>

#include "Global.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {

std::unique_ptr<TMessage_Log_Item> Message(std::int32_t id, std::int32_t date, std::uint8_t from, std::uint8_t to,
                                           std::uint8_t type, const std::string& text, std::int32_t reserved = 0) {
  auto m = std::make_unique<TMessage_Log_Item>();
  m->f_id = id;
  m->f_date = date;
  m->f_from = from;
  m->f_to = to;
  m->f_message_type = type;
  m->f_text = text;
  m->f_reserved = reserved;
  return m;
}

std::string Saved(const TMessage_Log& log) {
  TIo_Writer w;
  EXPECT_TRUE(log.m_Save(w));
  return w.m_Bytes();
}

// One message: id 5, date 2015.0, from 1 to 2, "Declare War", "Hi".
const std::string One_Message_Bytes(
    "\x02\x01"          // count
    "\x02\x05"          // id
    "\x03\xB6\x4E"      // date 20150
    "\x02\x01\x02\x02"  // from, to
    "\x02\x03"          // type
    "\x06\x02Hi"        // text
    "\x02\x00",         // reserved
    19);

}  // namespace

TEST(MessageLog, TypeNames) {
  const std::pair<int, const char*> cases[] = {{1, "General Message"},
                                               {2, "Propose Alliance"},
                                               {3, "Declare War"},
                                               {4, "Accept Proposal"},
                                               {5, "Decline Proposal"},
                                               {6, "Cancel Alliance"},
                                               {0, ""},
                                               {7, ""}};
  for (const auto& [type, name] : cases) {
    std::string text = "x";
    Message_Log_Type_Name(type, text);
    EXPECT_EQ(text, name) << type;
  }
}

TEST(MessageLog, DeleteByIdTakesTheFirstMatch) {
  TMessage_Log log;
  log.m_Add_Item(Message(4, 1, 1, 2, 1, "a"));
  log.m_Add_Item(Message(9, 2, 1, 2, 1, "b"));
  log.m_Add_Item(Message(4, 3, 1, 2, 1, "c"));
  EXPECT_EQ(log.m_Delete_Message(77), 0);
  EXPECT_EQ(log.m_Get_Count(), 3);
  EXPECT_EQ(log.m_Delete_Message(4), 1);
  ASSERT_EQ(log.m_Get_Count(), 2);
  EXPECT_EQ(log.m_Get_Item(1)->f_text, "b");
  EXPECT_EQ(log.m_Get_Item(2)->f_text, "c");
  EXPECT_EQ(log.m_Get_Item(0), nullptr);
  EXPECT_EQ(log.m_Get_Item(3), nullptr);
}

TEST(MessageLog, EmptyLogIsOneZero) {
  TMessage_Log log;
  EXPECT_EQ(Saved(log), std::string("\x02\x00", 2));
  log.m_Add_Item(Message(1, 1, 1, 1, 1, "x"));
  TIo_Reader r = TIo_Reader::From_Bytes(std::string("\x02\x00", 2));
  EXPECT_TRUE(log.m_Load(r));
  EXPECT_EQ(log.m_Get_Count(), 0);
}

TEST(MessageLog, HandBuiltBytes) {
  TMessage_Log log;
  log.m_Add_Item(Message(5, 20150, 1, 2, 3, "Hi"));
  EXPECT_EQ(Saved(log), One_Message_Bytes);
  TMessage_Log back;
  TIo_Reader r = TIo_Reader::From_Bytes(One_Message_Bytes);
  back.m_Load(r);
  EXPECT_EQ(r.m_Bytes_Left(), 0u);
  ASSERT_EQ(back.m_Get_Count(), 1);
  EXPECT_EQ(*back.m_Get_Item(1), *log.m_Get_Item(1));
}

TEST(MessageLog, FileRoundTrip) {
  TTemp_Dir dir;
  TMessage_Log log;
  log.m_Add_Item(Message(1, 20150, 1, 2, 1, "Greetings from the north"));
  log.m_Add_Item(Message(2, 20151, 2, 1, 2, std::string(300, 'p'), -7));
  log.m_Add_Item(Message(3, 20152, 9, 3, 7, "Caf\xC3\xA9 au lait", 123456));
  const std::string name = dir.design() + "MessageLog.dat";
  ASSERT_TRUE(log.m_Save_To_File(name));
  TMessage_Log back;
  ASSERT_TRUE(back.m_Load_From_File(name));
  ASSERT_EQ(back.m_Get_Count(), 3);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(*back.m_Get_Item(i), *log.m_Get_Item(i)) << i;
}

TEST(MessageLog, BrokenFilesAreLoadErrorsAndKeepTheLog) {
  TTemp_Dir dir;
  const std::string name = dir.design() + "MessageLog.dat";
  const std::string cases[] = {
      One_Message_Bytes.substr(0, 12),         // truncated in the middle of a record
      std::string("\x04\xFF\xFF\xFF\x7F", 5),  // a count far beyond the bytes
      std::string("\x04\xFF\xFF\xFF\xFF", 5),  // a negative count
      std::string("\x02\x01\x06\x00", 4),      // a string where the id stands
  };
  for (const std::string& bytes : cases) {
    Write_File(dir.path() / "MessageLog.dat", bytes);
    TMessage_Log log;
    log.m_Add_Item(Message(8, 1, 1, 2, 1, "kept"));
    TShell_Recorder catcher;
    EXPECT_FALSE(log.m_Load_From_File(name));
    ASSERT_EQ(catcher.messages.size(), 1u);
    EXPECT_EQ(catcher.messages[0].caption, "Error");
    EXPECT_EQ(catcher.messages[0].text, "Load file error: " + name);
    ASSERT_EQ(log.m_Get_Count(), 1);
    EXPECT_EQ(log.m_Get_Item(1)->f_text, "kept");
  }
  TMessage_Log log;
  TShell_Recorder catcher;
  EXPECT_FALSE(log.m_Load_From_File(""));
  EXPECT_FALSE(log.m_Save_To_File(""));
  EXPECT_TRUE(catcher.messages.empty());
}
