// The rules' small hand-built world with its action timer, shared with the
// main screen's order tests.
#include "rules/Turns_Fixture.cpp"
