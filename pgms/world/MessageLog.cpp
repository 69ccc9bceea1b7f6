#include "MessageLog.h"

#include <limits>

#include "Errors.h"
#include "Io_Fields.h"

TMessage_Log* G_Message_Log = nullptr;

namespace {
// MessageLog.dat: one record a message.
template <class F, class Item>
void Item_Fields(F& f, Item& item) {
  f.Integer(item.f_id, item.f_date);
  f.Byte(item.f_from, item.f_to, item.f_message_type);
  f.String(item.f_text);
  f.Integer(item.f_reserved);
}
}  // namespace

void TMessage_Log_Item::m_Save(TIo_Writer& w) const {
  TIo_Field_Writer f(w);
  Item_Fields(f, *this);
}

void TMessage_Log_Item::m_Load(TIo_Reader& r) {
  TIo_Field_Reader f(r);
  Item_Fields(f, *this);
}

void TMessage_Log::m_Clear() { f_items.clear(); }

TMessage_Log_Item* TMessage_Log::m_Get_Item(std::int64_t i) const {
  if (i < 1 || i > std::int64_t(f_items.size())) return nullptr;
  return f_items[std::size_t(i - 1)].get();
}

void TMessage_Log::m_Add_Item(std::unique_ptr<TMessage_Log_Item> item) {
  if (!item) return;
  if (f_items.size() >= std::size_t(std::numeric_limits<std::int32_t>::max())) throw EIntOverflow();
  f_items.push_back(std::move(item));
}

std::int32_t TMessage_Log::m_Delete_Message(std::int32_t id) {
  for (auto it = f_items.begin(); it != f_items.end(); ++it) {
    if ((*it)->f_id == id) {
      f_items.erase(it);
      return 1;
    }
  }
  return 0;
}

bool TMessage_Log::m_Save(TIo_Writer& w) const {
  Io_Write_Integer(w, m_Get_Count());
  for (const auto& item : f_items) item->m_Save(w);
  return true;
}

bool TMessage_Log::m_Load(TIo_Reader& r) {
  std::int32_t count = Io_Read_Integer(r);
  if (count < 0) throw ERangeError("Negative message count");
  // Records are read one at a time: a count larger than the file holds
  // fails at the end of the bytes, not on a huge allocation.
  std::vector<std::unique_ptr<TMessage_Log_Item>> items;
  for (std::int32_t i = 0; i < count; ++i) {
    auto item = std::make_unique<TMessage_Log_Item>();
    item->m_Load(r);
    items.push_back(std::move(item));
  }
  f_items = std::move(items);
  return true;
}

bool TMessage_Log::m_Save_To_File(const std::string& file_name) const {
  return Io_Save_To_File(file_name, [this](TIo_Writer& w) { m_Save(w); });
}

bool TMessage_Log::m_Load_From_File(const std::string& file_name) {
  return Io_Load_From_File(file_name, [this](TIo_Reader& r) { m_Load(r); });
}

void Message_Log_Type_Name(std::int32_t message_type, std::string& text) {
  switch (message_type) {
    case 1: text = "General Message"; break;
    case 2: text = "Propose Alliance"; break;
    case 3: text = "Declare War"; break;
    case 4: text = "Accept Proposal"; break;
    case 5: text = "Decline Proposal"; break;
    case 6: text = "Cancel Alliance"; break;
    default: text.clear(); break;
  }
}

std::string Message_Log_Type_Name(std::int32_t message_type) {
  std::string text;
  Message_Log_Type_Name(message_type, text);
  return text;
}
