#pragma once
#include <string>

#include "crypto/random.h"

namespace korvaden {

// n distinct decimal digits (n at most 10), drawn as the verification image
// draws them: a first candidate mod n, every redraw after a collision mod 10.
std::string MakeCode(RandomSource& random, std::size_t n);

}  // namespace korvaden
