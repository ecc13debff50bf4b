// The interaction model against the control over long random sequences.
#include "interaction_model.h"

namespace brelund {
namespace {

TEST(InteractionModel, AgreesWithTheControlOverLongRandomSequences) {
  for (std::uint32_t seed : {1u, 2u, 3u, 4u}) testing::drive(seed, 30000);
}

}  // namespace
}  // namespace brelund
