// The world model's small test world, shared with the rules tests.
#include "world/World_Fixture.cpp"
