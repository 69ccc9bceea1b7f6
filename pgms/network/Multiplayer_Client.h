// The joining machine's connection to the host: turns received lines into
// owner events, writes the files the host sends into the temp folder and
// sends messages as "QX" lines.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Multiplayer_BinarySocket.h"
#include "Multiplayer_Types.h"

// Owner event handler: event code, client id (always 0 here) and text.
using TMP_Event_Handler = std::function<void(MP_Event_Code, std::int32_t, const std::string&)>;

class TMultiplayer_Client {
public:
  TMultiplayer_Client();
  ~TMultiplayer_Client();
  TMultiplayer_Client(const TMultiplayer_Client&) = delete;
  TMultiplayer_Client& operator=(const TMultiplayer_Client&) = delete;

  void m_Connect(const std::string& address, const std::string& port);
  void m_Disconnect();
  void m_Send(const std::string& text);
  bool m_Is_Connected() const;
  // The connection is being made: the host's name looked up or the
  // connection under way.
  bool m_Is_Connecting() const;

  TMP_Event_Handler f_event_handler;
  // Folder (game path with trailing "\") that holds temp\; by default the
  // game's writable user folder.
  std::string f_base_folder;
  // "temp\" followed by the announced name.
  std::string f_receiving_file_name;
  std::int32_t f_expected_size = 0;
  TBinaryNetSocket* Socket() const { return f_socket.get(); }

private:
  // Reports an event; false when the handler freed this object (the caller
  // must return at once).
  bool Event(MP_Event_Code code, const std::string& text);
  std::string Target_Path() const;
  void Line_Received(const std::string& line);
  void Binary_Begin(const THdrRec& h);
  void Binary_Received(const char* data, std::int32_t size);
  void Binary_End();
  void Session_Connected(std::uint16_t error);
  void Session_Closed(std::uint16_t error);

  std::unique_ptr<TBinaryNetSocket> f_socket;
  // The socket's events reach this object through the cell; the destructor
  // empties it, so events of a socket that outlives it go nowhere.
  std::shared_ptr<TMultiplayer_Client*> f_self = std::make_shared<TMultiplayer_Client*>(this);
  // Set when the announced name was refused: the frame is read and dropped.
  bool f_discard_file = false;
};
