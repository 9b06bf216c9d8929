#include "qt/random_source.h"

#include <bit>

namespace skyquill {

void RandomSource::seed(float timeOfDay)
{
    // Every distinct time of day gives a distinct seed.
    std::seed_seq seq{std::bit_cast<std::uint32_t>(timeOfDay), 0x5eedU};
    engine_.seed(seq);
}

}  // namespace skyquill
