// Bisection on the score, with the precision of every stored value fixed so
// that the result is the same on every machine.
#include "estimate/bisection.h"

#include <cmath>

bool bisectRoot(ThetaFunction f, float lo, float hi, float tol,
                const SampleData& d, const SampleSizeTable& n,
                const AlleleFreqTable& p, Console& con, float* root) {
  const float fLo = static_cast<float>(f(lo, d, n, p));
  const double fHi = f(hi, d, n, p);
  if (fHi * fLo >= 0) {
    writeErr(con, "\nEstimate of theta is not within interval 0.00001 to 10000");
    return false;
  }
  float anchor, step;
  if (fLo < 0) {
    anchor = lo;
    step = static_cast<float>(static_cast<double>(hi) - lo);
  } else {
    anchor = hi;
    step = static_cast<float>(static_cast<double>(lo) - hi);
  }
  for (int halving = 1; halving <= 40; ++halving) {
    step = static_cast<float>(step * 0.5);
    const float mid = static_cast<float>(static_cast<double>(anchor) + step);
    const double fMid = f(mid, d, n, p);
    if (fMid <= 0) anchor = mid;
    if (std::fabs(step) < tol || fMid == 0) {
      *root = anchor;
      return true;
    }
  }
  writeErr(con, "\nToo many bisections");
  return false;
}
