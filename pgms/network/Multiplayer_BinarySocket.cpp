#include "Multiplayer_BinarySocket.h"

#include <cstring>

std::int32_t Find_CRLF(const char* bytes, std::int32_t length) {
  for (std::int32_t i = 0; i + 1 < length; ++i)
    if (bytes[i] == '\r' && bytes[i + 1] == '\n') return i;
  return -1;
}

TBinaryNetSocket::TBinaryNetSocket() : f_buffer(static_cast<std::size_t>(Buffer_Size)) {
  for (int c = 32; c <= 127; ++c) f_text_bytes[static_cast<std::size_t>(c)] = true;
}

void TBinaryNetSocket::m_Reset() {
  f_read_pos = f_write_pos = f_unread = 0;
  f_remaining_payload = 0;
  f_frame_state = 0;
  f_receive_mode = 0;
  TNetSocket::Restore_Defaults();
}

void TBinaryNetSocket::Restore_Defaults() {
  // Also runs at the end of every close, so a new connection starts clean.
  f_read_pos = f_write_pos = f_unread = 0;
  f_remaining_payload = 0;
  f_frame_state = 0;
  f_receive_mode = 0;
  TNetSocket::Restore_Defaults();
}

bool TBinaryNetSocket::TriggerDataAvailable(std::uint16_t) {
  std::int32_t room = Buffer_Size - f_write_pos;
  if (room > 0) {
    std::int32_t n = Receive(f_buffer.data() + f_write_pos, room);
    if (n > 0) {
      f_unread += n;
      f_write_pos += n;
    }
  }
  if (f_unread > 0) m_Process_Buffer();
  return true;
}

void TBinaryNetSocket::m_Process_Buffer() {
  for (;;) {
    // Text lines.
    while (f_unread > 0 && f_receive_mode == 0) {
      std::int32_t i = Find_CRLF(f_buffer.data() + f_read_pos, f_unread);
      if (i < 0) {
        if (f_unread >= Buffer_Size) {
          f_read_pos = f_write_pos = f_unread = 0;
          Abort();
          if (OnLineReceived) OnLineReceived(this, "! Buffer overflow attempt detected");
          return;
        }
        if (f_read_pos == 0) return;
        std::memmove(f_buffer.data(), f_buffer.data() + f_read_pos, static_cast<std::size_t>(f_unread));
        f_read_pos = 0;
        f_write_pos = f_unread;
        return;
      }
      std::string line(f_buffer.data() + f_read_pos, static_cast<std::size_t>(i));
      f_unread -= i + 2;
      if (f_unread == 0) f_read_pos = f_write_pos = 0;
      else f_read_pos += i + 2;
      if (OnLineReceived) OnLineReceived(this, line);
      if (f_unread == 0) return;
    }
    if (f_unread <= 0) return;
    if (f_receive_mode == 0) continue;

    if (f_frame_state == 0) {
      // A header is expected; a text byte means a line follows instead.
      if (f_text_bytes[static_cast<unsigned char>(f_buffer[static_cast<std::size_t>(f_read_pos)])]) {
        f_receive_mode = 0;
        continue;
      }
      if (f_unread < MP_Frame_Header_Size) {
        // Keep the partial header at the start so that the rest fits.
        if (f_read_pos > 0) {
          std::memmove(f_buffer.data(), f_buffer.data() + f_read_pos, static_cast<std::size_t>(f_unread));
          f_read_pos = 0;
          f_write_pos = f_unread;
        }
        return;
      }
      THdrRec h = MP_Read_Frame_Header(reinterpret_cast<const unsigned char*>(f_buffer.data() + f_read_pos));
      f_remaining_payload = h.length;
      f_frame_total = 0;
      if (OnBinaryBegin) OnBinaryBegin(this, h);
      if (f_remaining_payload > 0) {
        f_frame_state = 1;
      } else {
        f_remaining_payload = 0;
        if (OnBinaryEnd) OnBinaryEnd(this);
      }
      f_read_pos += MP_Frame_Header_Size;
      f_unread -= MP_Frame_Header_Size;
      if (f_unread == 0) {
        f_read_pos = f_write_pos = 0;
        return;
      }
      continue;
    }

    // Inside a payload.
    if (f_unread < f_remaining_payload) {
      const char* chunk = f_buffer.data() + f_read_pos;
      std::int32_t n = f_unread;
      f_frame_total += n;
      f_remaining_payload -= n;
      f_read_pos = f_write_pos = f_unread = 0;
      if (OnBinaryReceived) OnBinaryReceived(this, chunk, n);
      return;
    }
    std::int32_t n = f_remaining_payload;
    const char* chunk = f_buffer.data() + f_read_pos;
    f_frame_total += n;
    f_read_pos += n;
    f_unread -= n;
    f_remaining_payload = 0;
    f_frame_state = 0;
    if (OnBinaryReceived) OnBinaryReceived(this, chunk, n);
    if (OnBinaryEnd) OnBinaryEnd(this);
    f_frame_total = 0;
    if (f_unread == 0) {
      f_read_pos = f_write_pos = 0;
      return;
    }
  }
}
