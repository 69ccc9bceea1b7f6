#include "World_Settings.h"

TWorld_Settings World_Settings;
