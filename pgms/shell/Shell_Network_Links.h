// Joins the network game to the main window and the main screen: the relay
// and the setup dialog's lobby reach the window's host and client, the
// relay the screen's chat and map, and the window's frame loop pumps the
// action queue and hands the network events to the relay.
#pragma once

// Installs the links (at start-up, before the main window opens).
void Shell_Network_Links_Install();
