#pragma once
#include <functional>
#include <string>

#include "base/random_source.h"

namespace korvaden {

// A digit for which `used` is false: drawn as RandomNumber % modulus until one
// is found. A generator that keeps failing (it then gives 0) cannot hang the
// dialog: after 1000 draws the smallest free digit is taken.
char DrawUnusedDigit(RandomSource& random, unsigned modulus, const std::function<bool(char)>& used);

// n distinct decimal digits (n at most 10), drawn as the verification image
// draws them: a first candidate mod n, every redraw after a collision mod 10.
std::string MakeCode(RandomSource& random, std::size_t n);

}  // namespace korvaden
