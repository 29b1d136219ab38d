#include "platform/random.h"

#include <bit>
#include <cstdint>

namespace minatori {

void Random::seed(double value) { engine_.seed(std::bit_cast<std::uint64_t>(value)); }

double Random::next() {
  // 53 random bits: exactly representable, never 1.0.
  return static_cast<double>(engine_() >> 11) * (1.0 / 9007199254740992.0);
}

}  // namespace minatori
