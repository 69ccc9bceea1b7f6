#include "Multiplayer_Client.h"

#include <charconv>
#include <cstdio>
#include <typeinfo>

#include "Errors.h"
#include "Io.h"
#include "Native_Path.h"
#include "Path.h"

namespace {

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

// Characters from (1-based) first to last, as far as the text reaches.
std::string Copy(const std::string& s, std::size_t first, std::size_t count) {
  if (first < 1 || first > s.size()) return "";
  return s.substr(first - 1, count);
}

// A file name the host may announce: a plain name, no folder, no parent.
bool Plain_File_Name(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (c == '\\' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 32) return false;
  return true;
}

std::string Class_Name(const std::exception& e) {
  if (dynamic_cast<const ESocketException*>(&e)) return "ESocketException";
  if (dynamic_cast<const EConvertError*>(&e)) return "EConvertError";
  if (dynamic_cast<const EInOutError*>(&e)) return "EInOutError";
  if (dynamic_cast<const EGlobarch_Error*>(&e)) return "EGlobarch_Error";
  return "Exception";
}

}  // namespace

TMultiplayer_Client::TMultiplayer_Client() : f_socket(std::make_unique<TBinaryNetSocket>()) {
  if (Path_Settings) f_base_folder = Path_Settings->m_Resolve_User_Dir("");
  // Messages and the file receipts are small and answer what the host
  // sent: each leaves at once rather than wait for the one before to be
  // acknowledged.
  f_socket->ComponentOptions = wsoNoReceiveLoop | wsoTcpNoDelay;
  f_socket->Set_LineMode(false);
  f_socket->f_receive_mode = 0;
  auto self = f_self;
  f_socket->OnSessionConnected = [self](TCustomNetSocket*, std::uint16_t e) {
    if (*self) (*self)->Session_Connected(e);
  };
  f_socket->OnSessionClosed = [self](TCustomNetSocket*, std::uint16_t e) {
    if (*self) (*self)->Session_Closed(e);
  };
  f_socket->OnBinaryBegin = [self](TBinaryNetSocket*, const THdrRec& h) {
    if (*self) (*self)->Binary_Begin(h);
  };
  f_socket->OnBinaryEnd = [self](TBinaryNetSocket*) {
    if (*self) (*self)->Binary_End();
  };
  f_socket->OnBinaryReceived = [self](TBinaryNetSocket*, const char* d, std::int32_t n) {
    if (*self) (*self)->Binary_Received(d, n);
  };
  f_socket->OnLineReceived = [self](TBinaryNetSocket*, const std::string& line) {
    if (*self) (*self)->Line_Received(line);
  };
}

TMultiplayer_Client::~TMultiplayer_Client() {
  f_event_handler = nullptr;
  *f_self = nullptr;
  if (Net_In_Dispatch()) {
    // The socket may be inside its own event right now (the client was
    // closed from a handler): the pump frees it once that event returned.
    Net_Free_Later(f_socket.release());
    return;
  }
  try {
    f_socket->Close();
  } catch (...) {
  }
}

bool TMultiplayer_Client::Event(MP_Event_Code code, const std::string& text) {
  auto self = f_self;  // outlives this object if the handler frees it
  if (f_event_handler) {
    TMP_Event_Handler handler = f_event_handler;
    handler(code, 0, text);
  }
  return *self != nullptr;
}

bool TMultiplayer_Client::m_Is_Connected() const { return f_socket->State() == wsConnected; }

bool TMultiplayer_Client::m_Is_Connecting() const {
  return f_socket->Looking_Up() || f_socket->State() == wsOpened || f_socket->State() == wsConnecting;
}

void TMultiplayer_Client::m_Connect(const std::string& address, const std::string& port) {
  try {
    if (m_Is_Connected() || m_Is_Connecting()) return;
    f_socket->Set_Proto("tcp");
    f_socket->Set_Port(port);
    f_socket->Set_Addr(address);
    f_socket->Connect();
  } catch (const std::exception& e) {
    Event(MP_CLIENT_DEBUG_MSG, "Error:  Exception - " + Class_Name(e) + ": " + e.what());
    Event(MP_CLIENT_ERROR, "Exception - " + Class_Name(e) + ": " + e.what());
  }
}

void TMultiplayer_Client::m_Disconnect() { f_socket->Close(); }

void TMultiplayer_Client::m_Send(const std::string& text) {
  Event(MP_CLIENT_DEBUG_MSG, "Send: " + text);
  try {
    if (!m_Is_Connected()) return;
    // Sending leaves the receiving side alone: a file may be arriving.
    f_socket->SendText(std::string(MP_Message_Prefix) + text + "\r\n");
  } catch (const std::exception& e) {
    Event(MP_CLIENT_DEBUG_MSG, "Error:  " + Class_Name(e) + ": " + e.what());
    Event(MP_CLIENT_ERROR, Class_Name(e) + ": " + e.what());
  }
}

std::string TMultiplayer_Client::Target_Path() const { return Native_Path(f_base_folder + f_receiving_file_name); }

void TMultiplayer_Client::Line_Received(const std::string& line) {
  if (!Event(MP_CLIENT_DEBUG_MSG, "Message Received: " + line)) return;
  if (line.rfind("Binary", 0) == 0) {
    std::string size_text = Trim(Copy(line, 8, 9));
    std::int32_t size = 0;
    auto [p, ec] = std::from_chars(size_text.data(), size_text.data() + size_text.size(), size);
    if (size_text.empty() || ec != std::errc() || p != size_text.data() + size_text.size())
      throw EConvertError("'" + size_text + "' is not a valid integer value");
    std::string name = Trim(Copy(line, 17, std::string::npos));
    f_expected_size = size;
    f_socket->f_receive_mode = 1;
    // The name comes from the network: anything but a plain file name could
    // write outside the temp folder, so such a frame is read and dropped.
    f_discard_file = !Plain_File_Name(name);
    if (f_discard_file) {
      Event(MP_CLIENT_ERROR, "Refused file name: " + name);
      return;
    }
    f_receiving_file_name = "temp\\" + name;
    Directory_Create_All(f_base_folder + "temp\\");
    File_Delete(f_base_folder + f_receiving_file_name);
    return;
  }
  if (line.rfind(MP_Message_Prefix, 0) == 0) Event(MP_CLIENT_MESSAGE, line.substr(2));
}

void TMultiplayer_Client::Binary_Begin(const THdrRec& h) {
  if (!Event(MP_CLIENT_DEBUG_MSG, "! Binary Begin - ID=" + std::to_string(h.kind) + " size=" + std::to_string(h.length)))
    return;
  if (!f_discard_file && !f_receiving_file_name.empty()) File_Delete(f_base_folder + f_receiving_file_name);
}

void TMultiplayer_Client::Binary_Received(const char* data, std::int32_t size) {
  if (f_discard_file || f_receiving_file_name.empty()) return;
  std::string path = Target_Path();
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) throw EInOutError("Save file error: " + f_base_folder + f_receiving_file_name);
  std::size_t written = std::fwrite(data, 1, static_cast<std::size_t>(size), f);
  long length = std::ftell(f);
  bool ok = std::fclose(f) == 0 && written == static_cast<std::size_t>(size);
  if (!ok) throw EInOutError("Save file error: " + f_base_folder + f_receiving_file_name);
  if (!Event(MP_CLIENT_DEBUG_MSG, std::to_string(size) + " bytes received")) return;
  Event(MP_CLIENT_FILE_IN_PROGRESS,
        std::to_string(length) + " bytes of " + std::to_string(f_expected_size) + " received");
}

void TMultiplayer_Client::Binary_End() {
  if (!Event(MP_CLIENT_DEBUG_MSG, "! Binary End - total size=" + std::to_string(f_socket->f_frame_total))) return;
  f_socket->f_receive_mode = 0;
  if (f_discard_file) {
    f_discard_file = false;
    return;
  }
  if (!Event(MP_CLIENT_FILE_COMPLETE, f_receiving_file_name)) return;
  m_Send(MP_File_Received);
}

void TMultiplayer_Client::Session_Connected(std::uint16_t error) {
  if (error != 0) {
    Event(MP_CLIENT_ERROR, "Can't connect, error #" + std::to_string(error));
    return;
  }
  if (!Event(MP_CLIENT_DEBUG_MSG, "Session Connected")) return;
  if (!Event(MP_CLIENT_DEBUG_MSG, "  Addr: " + f_socket->Addr())) return;
  if (!Event(MP_CLIENT_DEBUG_MSG, "  Port: " + f_socket->Port())) return;
  if (!Event(MP_CLIENT_DEBUG_MSG, "Connected")) return;
  Event(MP_CLIENT_CONNECTED, "");
}

void TMultiplayer_Client::Session_Closed(std::uint16_t error) {
  if (error != 0) {
    std::string text = "Disconnected, error #" + std::to_string(error);
    if (Event(MP_CLIENT_ERROR, text)) Event(MP_CLIENT_DISCONNECTED, text);
    return;
  }
  if (!Event(MP_CLIENT_DEBUG_MSG, "Disconnected")) return;
  Event(MP_CLIENT_DISCONNECTED, "Disconnected");
}
