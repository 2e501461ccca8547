// The bisection search for the root of the score.
#pragma once

#include "app/console.h"
#include "estimate/score.h"

// The driver's search interval and tolerance.
constexpr float kThetaLow = 0.00001f;
constexpr float kThetaHigh = 10000.0f;
constexpr float kThetaTolerance = 0.0001f;

// Finds a root of f between lo and hi: requires f to change sign between the
// ends, then walks a halving step from the end where f is not positive until
// the step is shorter than tol or f is exactly zero at a midpoint.  The ends,
// step and midpoints are single precision; f at lo is stored in single
// precision, f at hi is not.  On success stores the anchor in *root and
// returns true; otherwise prints the message on standard error and returns
// false.
bool bisectRoot(ThetaFunction f, float lo, float hi, float tol,
                const SampleData& d, const SampleSizeTable& n,
                const AlleleFreqTable& p, Console& con, float* root);
