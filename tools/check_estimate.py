#!/usr/bin/env python3
"""Independent check of vurn's estimate: maximises the composite
Dirichlet-multinomial log-likelihood with log-gamma functions (no score, no
bisection) and prints theta and its standard error from a numerical second
derivative.  Reads well-formed data files only.

usage: tools/check_estimate.py FILE...
"""
import math
import sys


def read_counts(path):
    words = open(path).read().split()
    i = words.index("dimensions")
    dims = dict(w.rstrip(";").split("=") for w in words[i + 1:i + 3])
    npops, nloci = int(dims["npops"], 0), int(dims["nloci"], 0)
    diploid = words[words.index("format") + 1] == "diploid"
    missing = None
    for w in words[words.index("format") + 2:]:
        if w.startswith("missing="):
            missing = w[len("missing="):].rstrip(";")[:1]
        if w.endswith(";"):
            break
    text = open(path).read()
    body = text[text.index("matrix") + len("matrix"):text.rindex("end;")]
    counts = []  # per population: per locus: {allele: copies}
    for block in body.split(":")[1:]:
        pop = [dict() for _ in range(nloci)]
        toks = block.split()
        # the last token of the block is the next population's label
        if not toks[-1].endswith((",", ";")):
            toks = toks[:-1]
        k = 0
        while k < len(toks):
            k += 1  # individual label
            genos = []
            if diploid:
                genos = toks[k:k + nloci]
                k += nloci
                alleles = [(g[0], g[2]) for g in genos]
            else:
                # single characters, written together or apart, then the
                # last locus as a token
                chars = ""
                while len(chars) < nloci - 1:
                    take = min(len(toks[k]), nloci - 1 - len(chars))
                    chars += toks[k][:take]
                    toks[k] = toks[k][take:]
                    if not toks[k]:
                        k += 1
                alleles = [(c,) for c in chars] + [(toks[k][0],)]
                k += 1
            for l, al in enumerate(alleles):
                for a in al:
                    if a != missing:
                        pop[l][a] = pop[l].get(a, 0) + 1
        counts.append(pop)
    assert len(counts) == npops, (len(counts), npops)
    return counts, nloci


def loglik(theta, counts, nloci):
    total = 0.0
    for l in range(nloci):
        pooled = {}
        for pop in counts:
            for a, c in pop[l].items():
                pooled[a] = pooled.get(a, 0) + c
        n_all = sum(pooled.values())
        for pop in counts:
            n = sum(pop[l].values())
            for a, c in pop[l].items():
                tp = theta * pooled[a] / n_all
                total += math.lgamma(tp + c) - math.lgamma(tp)
            total -= math.lgamma(theta + n) - math.lgamma(theta)
    return total


def estimate(counts, nloci):
    f = lambda x: -loglik(math.exp(x), counts, nloci)
    lo, hi = math.log(1e-5), math.log(1e4)
    g = (math.sqrt(5) - 1) / 2
    a, b = lo, hi
    for _ in range(200):
        c, d = b - g * (b - a), a + g * (b - a)
        if f(c) < f(d):
            b = d
        else:
            a = c
    theta = math.exp((a + b) / 2)
    ends = max(loglik(1e-5, counts, nloci), loglik(1e4, counts, nloci))
    if loglik(theta, counts, nloci) <= ends + 1e-9:
        return None  # the likelihood still rises at an end
    h = theta * 1e-4
    second = (loglik(theta + h, counts, nloci) - 2 * loglik(theta, counts, nloci)
              + loglik(theta - h, counts, nloci)) / (h * h)
    return theta, math.sqrt(-1 / second)


for path in sys.argv[1:]:
    found = estimate(*read_counts(path))
    if found is None:
        print(f"{path}: the likelihood has no maximum inside 0.00001 to 10000")
    else:
        print(f"{path}: theta {found[0]:.6g} standard error {found[1]:.6g}")
