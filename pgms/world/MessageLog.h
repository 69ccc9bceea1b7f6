// The diplomatic messages exchanged between empires (general messages,
// alliance proposals, declarations of war and the answers to them), saved
// with the game as MessageLog.dat.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Io_Tagged.h"

class TMessage_Log_Item {
public:
  std::int32_t f_id = 0;
  std::int32_t f_date = 0;  // tenths of a year
  std::uint8_t f_from = 0;
  std::uint8_t f_to = 0;
  std::uint8_t f_message_type = 0;  // 1..6, see Message_Log_Type_Name
  std::string f_text;
  std::int32_t f_reserved = 0;  // kept as read; nothing uses it

  void m_Save(TIo_Writer& w) const;
  void m_Load(TIo_Reader& r);
  bool operator==(const TMessage_Log_Item&) const = default;
};

class TMessage_Log {
public:
  TMessage_Log() = default;
  TMessage_Log(const TMessage_Log&) = delete;
  TMessage_Log& operator=(const TMessage_Log&) = delete;

  void m_Clear();
  std::int32_t m_Get_Count() const { return std::int32_t(f_items.size()); }
  // Message i (1..count); none otherwise.
  TMessage_Log_Item* m_Get_Item(std::int64_t i) const;
  // Appends a message (the log owns it from then on).
  void m_Add_Item(std::unique_ptr<TMessage_Log_Item> item);
  // Removes the first message with the id: 1 when one was found, else 0.
  std::int32_t m_Delete_Message(std::int32_t id);

  // The body of MessageLog.dat.
  bool m_Save(TIo_Writer& w) const;
  // Reads a whole log; the messages are replaced only when every record was
  // read, so a broken file leaves the log as it was.
  bool m_Load(TIo_Reader& r);
  bool m_Save_To_File(const std::string& file_name) const;
  bool m_Load_From_File(const std::string& file_name);

private:
  std::vector<std::unique_ptr<TMessage_Log_Item>> f_items;
};

// "General Message", "Propose Alliance", "Declare War", "Accept Proposal",
// "Decline Proposal", "Cancel Alliance" for types 1..6; empty otherwise.
void Message_Log_Type_Name(std::int32_t message_type, std::string& text);
std::string Message_Log_Type_Name(std::int32_t message_type);

// The message log of the program; the shell creates it at start-up.
extern TMessage_Log* G_Message_Log;
