// What the map actions and the end of turn ask of the main screen, the
// effects, the sounds and the network game. The rules run (and are tested)
// without any of them: until the screens, the sound system and the network
// install their own link, every call does nothing, finds no effect and
// starts no sound.
#pragma once

#include <cstdint>
#include <string>

#include "Message_Kind.h"
#include "Screen_Mode.h"
#include "Vector_Types.h"

class TTurn_Links {
public:
  virtual ~TTurn_Links() = default;

  // --- Main screen -------------------------------------------------------
  // Centres the camera over a map point.
  virtual void m_Centre_Camera(float x, float y);
  virtual void m_Set_Screen_Mode(TScreen_Mode mode);
  // A message with a caption (the hot-seat hand-over: Next_Player).
  virtual void m_Show_Message(const std::string& caption, const std::string& text, TMessage_Kind kind);
  // The status line; an empty text clears it.
  virtual void m_Show_Status(const std::string& text);
  virtual void m_Show_Turn_Status();
  virtual void m_Clear_Notices();
  // The game-over dialog for a player (0: nobody can play any more); by
  // default handed to the world's main-screen link.
  virtual void m_Show_Game_Over(std::uint8_t player);

  // --- Effects and sounds ------------------------------------------------
  // The number of a named effect; 0 when absent.
  virtual std::int32_t m_Find_Effect(const std::string& name);
  // Starts an effect from source to target; its end reaches the action
  // timer's m_Effect_Finished with the action id (0: nobody is told). False
  // when no effect started.
  virtual bool m_Start_Effect(std::int32_t effect, const TVector& source, const TVector& target,
                              std::int32_t action_id);
  virtual void m_Add_Floating_Text(const std::string& text, const TVector& position, const TVector4& colour,
                                   const TVector& velocity, std::int32_t lifetime_ms);
  // A sound file as a 3D sound at a point: its handle, 0 when none started.
  virtual std::int32_t m_Start_Sound_3D(const std::string& name, const TVector& position);
  virtual void m_Move_Sound_3D(std::int32_t handle, const TVector& position);
  virtual void m_Stop_Sound(std::int32_t handle);
  // A user-interface sound by number with a volume offset.
  virtual void m_Play_Interface_Sound(std::int32_t number, std::int32_t volume_offset);

  // --- Network game (hosted games only) -----------------------------------
  virtual void m_Send_Game_Date(std::int32_t date);
  virtual void m_Send_Current_Player(std::uint8_t player);
  virtual void m_Send_Crash(std::int32_t unit_id);
  virtual void m_Send_End_Turn_Status(std::uint8_t player);
  virtual void m_Send_Start_Player_Turn(std::uint8_t player);
};

// The link in force (never null); nullptr restores the one that does
// nothing.
TTurn_Links& Turn_Links();
void Set_Turn_Links(TTurn_Links* links);
