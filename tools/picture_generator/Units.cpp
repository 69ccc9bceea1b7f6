#include "Picture_Kit.h"
namespace Pictures {
void Generate_Units(TOutput&) {}
}  // namespace Pictures
