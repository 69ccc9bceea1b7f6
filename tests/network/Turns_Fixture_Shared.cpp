// The rules' small hand-built world with its action timer, shared with the
// lobby's tests (the game the host writes and the joined machines load).
#include "rules/Turns_Fixture.cpp"
