#pragma once
// The program's one random generator. Seeded from the time of day at the
// points where the program has always reseeded; tests seed it with a constant.

#include <random>

namespace minatori {

class Random {
 public:
  Random() { seed(0); }
  void seed(double value);
  // Uniform in [0, 1).
  double next();
  // Int(next() × count + 1): 1..count, and 1 when count is 0.
  int pick(int count) { return static_cast<int>(next() * count + 1); }

 private:
  std::mt19937_64 engine_;
};

}  // namespace minatori
