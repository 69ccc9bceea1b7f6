#include "Picture_Kit.h"
namespace Pictures {
void Generate_Effects(TOutput&) {}
void Generate_Battle_Maps(TOutput&) {}
}  // namespace Pictures
