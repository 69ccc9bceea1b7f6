// The network tests replay game actions on the small world of the world
// model's tests.
#include "../world/World_Fixture.cpp"
