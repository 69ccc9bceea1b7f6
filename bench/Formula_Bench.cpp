// Evaluation speed of typical formulas: a technology requirement and the
// formulas of a visual effect. Each is parsed once and evaluated many times,
// its variables bound by the slots found once after parsing; the
// allocations made while evaluating are counted as well. Beside the time
// on the clock, the CPU time of the thread is given: what an evaluation
// costs even when the machine is shared.
//
//   Formula_Bench [evaluations per formula]

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "Datafile_Formula_Functions.h"
#include "Datafile_Formula_Line.h"
#include "Global.h"

namespace {
bool counting = false;
long allocations = 0;
}  // namespace

void* operator new(std::size_t n) {
  if (counting) ++allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {
class TBench_Empire : public TFormula_Empire {
public:
  std::int32_t m_Get_Tech_Level_By_Area_Name(std::uint8_t, const std::string& text) const override {
    return text.size() > 5 ? 3 : 1;
  }
};

class TBench_Effect : public TFormula_Effect {
public:
  float m_Get_Effect_Scale_Size() const override { return 1.5f; }
};

class TBench_Particles : public TFormula_Particle_Source {
public:
  bool m_Get_System_Position(std::int32_t, std::int32_t, std::int32_t k3, TVector& position) const override {
    position = {float(k3), 2, 3};
    return true;
  }
  bool m_Find_System(std::int32_t, std::int32_t, std::int32_t k3, TFormula_Particle_State& state) const override {
    state.velocity = {float(k3), 0, 1};
    state.rotation = 0.5f;
    return true;
  }
};

TBench_Empire empire;
TBench_Effect effect;
TBench_Particles particles;

enum TKind { BOOLEAN, VECTOR, COLOR, SINGLE };

struct TCase {
  const char* what;
  const char* text;
  TKind kind;
};

double volatile sink = 0;

double Cpu_Nanos() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

void Run(const TCase& c, long n) {
  TFormula_Line line;
  std::string error;
  if (!line.m_Parse(c.text, error)) {
    std::printf("%s: does not parse: %s\n", c.what, error.c_str());
    std::exit(1);
  }
  // The variables' slots are found once, as a caller that evaluates a
  // formula often keeps them; binding a value then touches no name.
  const std::int32_t level = line.m_Variable_Slot("[%Level%]");
  const std::int32_t source = line.m_Variable_Slot("[%Source%]");
  const std::int32_t target = line.m_Variable_Slot("[%Target%]");
  auto once = [&](long i) {
    line.m_Clear_Variables();
    line.m_Set_Variable(level, static_cast<std::int32_t>(i & 7));
    line.m_Set_Vector_Variable(source, {1, 2, 3});
    line.m_Set_Vector_Variable(target, {100, 200, 0});
    line.m_Clear_Object_Slots();
    line.m_Set_Object_Slot(3, &empire, 0);
    line.m_Set_Object_Slot(4, &effect, 12);
    line.m_Set_Object_Slot(6, nullptr, static_cast<std::int32_t>(i & 15));
    switch (c.kind) {
      case BOOLEAN: sink = sink + (line.m_Evaluate_Boolean() ? 1 : 0); break;
      case VECTOR: sink = sink + line.m_Evaluate_Vector().x; break;
      case COLOR: sink = sink + line.m_Evaluate_Color().y; break;
      case SINGLE: sink = sink + line.m_Evaluate_Single(); break;
    }
  };
  // One warm-up call sizes the scratch values.
  once(0);
  allocations = 0;
  counting = true;
  const double cpu_start = Cpu_Nanos();
  auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < n; ++i) once(i);
  auto end = std::chrono::steady_clock::now();
  const double cpu = (Cpu_Nanos() - cpu_start) / double(n);
  counting = false;
  double ns = std::chrono::duration<double, std::nano>(end - start).count() / double(n);
  std::printf("%-12s %8.1f ns/eval (CPU %6.1f)  %.3f allocations/eval  %s\n", c.what, ns, cpu,
              double(allocations) / double(n), c.text);
}
}  // namespace

int main(int argc, char** argv) {
  long n = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (n < 1) n = 1;
  Random_Set_Seed(1);
  Formula_Set_Particle_Source(&particles);
  const TCase cases[] = {
      {"requirement", "Get_Nation_Tech_Level(\"Antiaircraft Units\") >= 2 and [%Level%] > 1", BOOLEAN},
      {"position", "VectorAdd([%Source%], MakeVector(random(-10, 10), random(-10, 10), 0))", VECTOR},
      {"velocity", "VectorMulS(VectorNormalize(VectorSub([%Target%], [%Source%])), 0.25 + frac(Get_Particle_Number() / 7))",
       VECTOR},
      {"colour", "MakeColor(1, 0.5 + 0.5 * frac(Get_Particle_Number() / 10), 0.2, iif(Get_Particle_Number() > 8, 0.5, 1))",
       COLOR},
      {"lifetime", "1500 + 500 * sqrt(Get_Particle_Number()) + random(0, 250)", SINGLE},
  };
  std::printf("%ld evaluations per formula\n", n);
  long total = 0;
  for (const TCase& c : cases) {
    Run(c, n);
    total += allocations;
  }
  Formula_Set_Particle_Source(nullptr);
  // Evaluation must not allocate once a formula has run once.
  return total == 0 ? 0 : 2;
}
