#include "Picture_Kit.h"
namespace Pictures {
void Generate_Screens(TOutput&) {}
}  // namespace Pictures
