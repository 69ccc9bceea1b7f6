// Socket of a joining machine: a TCP stream that carries text lines and,
// between them, binary frames (the game's files sent by the host). Lines are
// cut at CR LF in one fixed 32000-byte buffer; a frame is an 8-byte header
// (kind, payload length) and its payload, handed on in chunks as it arrives.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Multiplayer_Types.h"
#include "NetSocket.h"

// Index of the first CR directly followed by LF, -1 when none.
std::int32_t Find_CRLF(const char* bytes, std::int32_t length);

class TBinaryNetSocket : public TNetSocket {
public:
  static constexpr std::int32_t Buffer_Size = 32000;

  TBinaryNetSocket();

  // 0 text lines, 1 binary frames.
  std::int32_t f_receive_mode = 0;
  std::int32_t f_frame_state = 0;        // 0 expecting a header, 1 inside a payload
  std::int32_t f_remaining_payload = 0;
  std::int32_t f_frame_total = 0;
  std::int32_t Read_Position() const { return f_read_pos; }
  std::int32_t Write_Position() const { return f_write_pos; }
  std::int32_t Unread_Count() const { return f_unread; }
  bool Is_Text_Byte(unsigned char c) const { return f_text_bytes[c]; }

  std::function<void(TBinaryNetSocket*, const std::string&)> OnLineReceived;
  std::function<void(TBinaryNetSocket*, const THdrRec&)> OnBinaryBegin;
  std::function<void(TBinaryNetSocket*, const char*, std::int32_t)> OnBinaryReceived;
  std::function<void(TBinaryNetSocket*)> OnBinaryEnd;

  // The parser over the unread bytes.
  void m_Process_Buffer();
  // Positions, counts and modes back to 0, then the socket's own defaults.
  void m_Reset();

protected:
  bool TriggerDataAvailable(std::uint16_t error) override;
  void Restore_Defaults() override;

private:
  std::vector<char> f_buffer;
  std::int32_t f_read_pos = 0, f_write_pos = 0, f_unread = 0;
  std::array<bool, 256> f_text_bytes{};
};
