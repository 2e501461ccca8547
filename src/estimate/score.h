// Score and information of theta for the composite Dirichlet-multinomial
// likelihood: every population at every locus an independent sample with
// parameters theta times the pooled frequencies.
#pragma once

#include "estimate/tables.h"
#include "input/sample_data.h"

// The shape of function the bisection solves.
using ThetaFunction = double (*)(float theta, const SampleData& d,
                                 const SampleSizeTable& n,
                                 const AlleleFreqTable& p);

// The derivative of the log-likelihood at theta (> 0):
//   sum over P, l of [ sum_a sum_{k<c_a} 1/(theta + k/p_a)
//                      - sum_{k<n} 1/(theta + k) ].
// Every term and sum in double precision in this order: populations, loci,
// alleles, k ascending; r = 1/p_a formed once per allele and the term as
// 1/(theta + k*r).  The order decides the last bits of the result.
double thetaScore(float theta, const SampleData& d, const SampleSizeTable& n,
                  const AlleleFreqTable& p);

// Minus one over the second derivative at theta: the same loops with each
// term squared, B - A per population and locus, and -1/total at the end
// (negative infinity when nothing was summed).
double thetaVariance(float theta, const SampleData& d,
                     const SampleSizeTable& n, const AlleleFreqTable& p);

// Settings for the tests only, which hold every way of walking the sums to
// the plain loops.  scoreWalkForTests: 0 lets each window choose its walk by
// cost, 1 walks every window side by side, 2 every window on the binade
// tables.  scoreNarrowForTests: the narrowest vectors serve, whatever the
// processor offers.  Neither changes any result.
extern int scoreWalkForTests;
extern bool scoreNarrowForTests;
