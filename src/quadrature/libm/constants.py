#!/usr/bin/env python3
"""Writes constants.hpp: the tables, coefficients, error bounds and guard
bands of the fast logarithm and sine (fast.hpp), all derived here in
high-precision arithmetic (mpmath, python3-mpmath) and written as exact
hexadecimal doubles.

    src/quadrature/libm/constants.py [FILE]    (default constants.hpp beside it)

Logarithm.  x = 2^e·m with m in [1, 2); the top five fraction bits j of m pick
a bucket, and for j ≥ 16 (m ≥ 1.5) y = m/2 and e + 1, so that y lies in
[0.75, 1.5), as the instructions that split a double give them.  c_j is the double nearest 1/y at the bucket's centre,
except c_31 = 1 (y in [0.984375, 1)), so that near x = 1 nothing cancels.
y·c_j = 1 + r + r₂ exactly (r = fl(y·c) − 1 by Sterbenz, r₂ by one FMA),
|r| ≤ 2⁻⁶, and

    ln x = e·ln 2 − ln c_j + log1p(r + r₂),
    log1p(r) = r − r²/2 + r³·Q(r),  Q(r) = Σ_{i=0}^{8} (−1)^i r^i / (i + 3),

the Taylor series, whose remainder is below |r|·2⁻⁶⁹ for |r| ≤ 2⁻⁶.  ln 2 and
−ln c_j are double-doubles; the high part of ln 2 has 42 bits, so e·ln 2
is exact for every exponent of a double.

Sine.  k = nearest integer to u·32/π, z = u − k·π/32 with π/32 as three
doubles P1 + P2 + P3 (the first two of 44 bits, so that k·P1 and k·P2 are
exact for k < 512, that is u < 50), |z| ≤ π/64: z1 = u − k·P1 is exact, and
z1 − k·P2 = zh + zl exactly by Fast2Sum wherever |z1| ≥ |k·P2| (< 2⁻⁴⁰).
That holds for every u of the midpoints: the closest of them to a multiple
of π is 1.75·10⁻⁹ from it; away from the multiples of π the sine is at
least sin(π/32) and the split's error is below 2⁻⁸⁸ of it in any case.
With j = k mod 16, q = (k div 16) mod 4,

    sin u = sin(qπ/2 + jπ/32 + z) = S·cos z + C·sin z,

where (S, C) is (sin jπ/32, cos jπ/32) turned by the quadrant q.  The
tables hold sin jπ/32 and cos jπ/32 as double-doubles, 16 of each, so that
one permute of two registers reads them; sin z and cos z are their Taylor
series, with remainders below 2⁻⁶⁶ relative for |z| ≤ π/64.

Error bounds.  EPS_* bound the relative error of the double-double result
(hi, lo): the truncation above (computed here) plus the rounding of the
terms kept in plain double, each at most 2⁻⁵³ of a term that is at most
2⁻¹¹ of the result, a few dozen of them: 2⁻⁶² covers both with room to
spare.

Guard bands.  glibc's log and sin are not correctly rounded: for a few
arguments they return the other neighbour of the exact value, when that
lies close to the midpoint between two doubles.  The fast path accepts its
rounding only when the exact value is more than G ulp from every midpoint,
and falls back to the library otherwise.  G is the largest distance from the
midpoint of an exact value that glibc 2.36 rounded the other way, measured
over all 2³¹ − 2 midpoints of the passes n = 2 … 2³⁰ under both of its
variants by bench_libm_deviation (its output, as glibc chooses and with
GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA,-FMA4,-AVX512F, is in
deviation-default.txt and deviation-other.txt beside this file), times 1.25,
plus 0.002 ulp for the measurement's own error (2⁻⁶² of the value is at
most 2⁻⁹ ulp).  G is taken for each binade of |ln x| below 1 for the
logarithm, whose error grows as x approaches 1, and for each distance of u
from the nearest multiple of π, in steps of π/32, for the sine, whose error
grows near its zeros.
The slow tests check every midpoint against the library in use.
"""
import re
import os
import sys

import mpmath as mp

mp.mp.dps = 60

MARGIN = mp.mpf("1.25")
MEASUREMENT_ERROR = mp.mpf("0.002")
MEASUREMENTS = ["deviation-default.txt", "deviation-other.txt"]


def measured(here):
    """The largest distances, in ulp, over both variants: the logarithm's for
    each binade class 0 … 31, the sine's for each distance class 0 … 16."""
    log, sin = [mp.mpf(0)] * 32, [mp.mpf(0)] * 17
    for name in MEASUREMENTS:
        with open(os.path.join(here, name)) as f:
            for line in f:
                m = re.match(r"\s*\|ln x\| in binade\s+(\d+) .* farthest ([0-9.]+) ulp", line)
                if m:
                    c = int(m.group(1))
                    log[c] = max(log[c], mp.mpf(m.group(2)))
                m = re.match(r"\s*u within\s+(\d+)·π/32 .* farthest ([0-9.]+) ulp", line)
                if m:
                    c = int(m.group(1))
                    sin[c] = max(sin[c], mp.mpf(m.group(2)))
    return log, sin


def wrapped(values):
    text = [mp.nstr(v, 3) for v in values]
    return "\n".join("//   " + ", ".join(text[i:i + 8]) for i in range(0, len(text), 8))


def band(far):
    return far * MARGIN + MEASUREMENT_ERROR


def dbl(v):
    """The double nearest v, as a float."""
    return float(mp.mpf(v))


def bits(v, n):
    """v rounded to n significant bits."""
    m, e = mp.frexp(mp.mpf(v))
    return float(mp.ldexp(mp.nint(mp.ldexp(m, n)), e - n))


def dd(v):
    hi = dbl(v)
    return hi, dbl(mp.mpf(v) - hi)


def hexf(x):
    return float(x).hex()


def array(name, values):
    body = ",\n".join("    " + ", ".join(hexf(v) for v in values[i:i + 4]) for i in range(0, len(values), 4))
    return f"alignas(64) inline constexpr double {name}[{len(values)}] = {{\n{body},\n}};\n"


def log_tables():
    c, thi, tlo = [], [], []
    for j in range(32):
        lo = 1 + mp.mpf(j) / 32
        hi = 1 + mp.mpf(j + 1) / 32
        if j >= 16:
            lo, hi = lo / 2, hi / 2
        cj = 1.0 if j == 31 else dbl(2 / (lo + hi))
        h, l = dd(-mp.log(mp.mpf(cj)))
        c.append(cj)
        thi.append(h)
        tlo.append(l)
    return c, thi, tlo


def log_q():
    return [dbl(mp.mpf((-1) ** i) / (i + 3)) for i in range(9)]


def log_truncation(q):
    """Largest |log1p(r) − (r − r²/2 + r³·Q(r))| / |log1p(r)| for |r| ≤ 2⁻⁶."""
    worst = mp.mpf(0)
    for i in range(-64, 65):
        r = mp.mpf(i) / 64 * mp.mpf(2) ** -6
        if r == 0:
            continue
        p = mp.mpf(0)
        for a in reversed(q):
            p = p * r + mp.mpf(a)
        worst = max(worst, abs(mp.log1p(r) - (r - r * r / 2 + r ** 3 * p)) / abs(mp.log1p(r)))
    return worst


def sin_tables():
    s = [dd(mp.sin(j * mp.pi / 32)) for j in range(16)]
    c = [dd(mp.cos(j * mp.pi / 32)) for j in range(16)]
    return s, c


def sin_truncation(ps, p0lo, pc):
    """Largest relative remainders of the sin z and cos z series on |z| ≤ π/64 (·1.01)."""
    zmax = mp.pi / 64 * mp.mpf("1.01")
    ws, wc = mp.mpf(0), mp.mpf(0)
    for i in range(1, 65):
        z = zmax * i / 64
        z2 = z * z
        t = mp.mpf(0)
        for a in reversed(ps):
            t = t * z2 + mp.mpf(a)
        ws = max(ws, abs(mp.sin(z) - (z + z * z2 * (t + mp.mpf(p0lo)))) / mp.sin(z))
        t = mp.mpf(0)
        for a in reversed(pc):
            t = t * z2 + mp.mpf(a)
        wc = max(wc, abs(mp.cos(z) - (1 - z2 / 2 + z2 * z2 * t)) / mp.cos(z))
    return ws, wc


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "constants.hpp")

    c, thi, tlo = log_tables()
    q = log_q()
    l2h = bits(mp.log(2), 42)
    l2l = dbl(mp.log(2) - mp.mpf(l2h))
    p1 = bits(mp.pi / 32, 44)
    p2 = bits(mp.pi / 32 - mp.mpf(p1), 44)
    p3 = dbl(mp.pi / 32 - mp.mpf(p1) - mp.mpf(p2))
    s, co = sin_tables()
    ps = [dbl(mp.mpf((-1) ** (i + 1)) / mp.factorial(2 * i + 3)) for i in range(4)]  # z³ … z⁹
    # −1/6 to 2⁻¹⁰⁶: rounded to a double alone it would err by 2⁻⁶⁴ of sin z.
    p0lo = dbl(mp.mpf(-1) / 6 - mp.mpf(ps[0]))
    pc = [dbl(mp.mpf((-1) ** i) / mp.factorial(2 * i + 4)) for i in range(4)]  # z⁴ … z¹⁰

    eps = mp.mpf(2) ** -62
    tl = log_truncation(q)
    ts, tc = sin_truncation(ps, p0lo, pc)
    assert tl < mp.mpf(2) ** -66 and ts < mp.mpf(2) ** -66 and tc < mp.mpf(2) ** -66
    flog, fsin = measured(here)
    glog = [band(f) for f in flog]
    gsin = [band(f) for f in fsin]
    # The logarithm's kernel looks its band up by the low four bits of the
    # biased exponent E of hi, one instruction: slot E mod 16 takes the
    # widest band of every binade class 1022 − E (clamped to 0 … 31) that
    # shares it.  The sine's looks its band up by k mod 32, whose distance
    # class is min(k mod 32, 32 − k mod 32).
    slog = [max(glog[min(max(1022 - e, 0), 31)] for e in range(2048) if e % 16 == i) for i in range(16)]
    ssin = [gsin[min(i, 32 - i)] for i in range(32)]
    # In units of 2^e ≤ |hi| < 2^(e+1): an ulp is 2^(e−52), and the error
    # bound eps·|hi| is below 2·eps·2^e.
    ulp = mp.mpf(2) ** -52
    wlog = [dbl(2 * eps + g * ulp) for g in slog]
    wsin = [dbl(2 * eps + g * ulp) for g in ssin]

    with open(out, "w") as f:
        f.write(f"""#pragma once

// Written by constants.py beside this file; do not edit.  How each value
// is derived, and why the bounds hold, is said there.

namespace zorvick::quadrature::libm {{

// Logarithm: bucket j of y, c_j ≈ 1/y, −ln c_j = log_t_hi[j] + log_t_lo[j].
{array("log_c", c)}{array("log_t_hi", thi)}{array("log_t_lo", tlo)}
// ln 2 = ln2_hi + ln2_lo, ln2_hi of 42 bits.
inline constexpr double ln2_hi = {hexf(l2h)};
inline constexpr double ln2_lo = {hexf(l2l)};
// Q(r) = Σ (−1)^i r^i / (i + 3), i = 0 … 8; remainder {mp.nstr(tl, 3)} relative.
{array("log_q", q)}
// Sine: π/32 = pi32_1 + pi32_2 + pi32_3 (pi32_1 and pi32_2 of 44 bits), and 32/π.
inline constexpr double pi32_1 = {hexf(p1)};
inline constexpr double pi32_2 = {hexf(p2)};
inline constexpr double pi32_3 = {hexf(p3)};
inline constexpr double inv_pi32 = {hexf(dbl(32 / mp.pi))};
// The largest u taken, below the limit of an exact reduction (k = u·32/π
// < 512) and above that of the midpoints (31·ln 2).
inline constexpr double sin_umax = 25.0;
// sin jπ/32 and cos jπ/32 as double-doubles, j = 0 … 15.
{array("sin_hi", [v[0] for v in s])}{array("sin_lo", [v[1] for v in s])}{array("cos_hi", [v[0] for v in co])}{array("cos_lo", [v[1] for v in co])}
// sin z = z + z³·Σ sin_p[i] z^(2i), cos z = 1 − z²/2 + z⁴·Σ cos_p[i] z^(2i);
// remainders {mp.nstr(ts, 3)} and {mp.nstr(tc, 3)} relative.
{array("sin_p", ps)}inline constexpr double sin_p0_lo = {hexf(p0lo)};  // sin_p[0] + sin_p0_lo = −1/6
{array("cos_p", pc)}
// The rounding test's half-width, in units of the power of two 2^e ≤ |hi|:
// the error bound 2⁻⁶²·|hi| < 2⁻⁶¹·2^e plus the guard band G ulp (2^(e−52)).
// Logarithm, by the binade b of |ln x| below 1 (0 for |ln x| ≥ ½),
// b = 0 … 31:
{wrapped(glog)}
// Sine, by the distance class c of u (c·π/32 from the nearest multiple of
// π), c = 0 … 16:
{wrapped(gsin)}
// log_width by the biased exponent E of hi mod 16 (the widest band of the
// binades 1022 − E that share a slot), sin_width by k mod 32.
{array("log_width", wlog)}
{array("sin_width", wsin)}

}}  // namespace zorvick::quadrature::libm
""")


main()
