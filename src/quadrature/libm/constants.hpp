#pragma once

// Written by constants.py beside this file; do not edit.  How each value
// is derived, and why the bounds hold, is said there.

namespace zorvick::quadrature::libm {

// Logarithm: bucket j of y, c_j ≈ 1/y, −ln c_j = log_t_hi[j] + log_t_lo[j].
alignas(64) inline constexpr double log_c[32] = {
    0x1.f81f81f81f820p-1, 0x1.e9131abf0b767p-1, 0x1.dae6076b981dbp-1, 0x1.cd85689039b0bp-1,
    0x1.c0e070381c0e0p-1, 0x1.b4e81b4e81b4fp-1, 0x1.a98ef606a63bep-1, 0x1.9ec8e951033d9p-1,
    0x1.948b0fcd6e9e0p-1, 0x1.8acb90f6bf3aap-1, 0x1.8181818181818p-1, 0x1.78a4c8178a4c8p-1,
    0x1.702e05c0b8170p-1, 0x1.6816816816817p-1, 0x1.6058160581606p-1, 0x1.58ed2308158edp-1,
    0x1.51d07eae2f815p+0, 0x1.4afd6a052bf5bp+0, 0x1.446f86562d9fbp+0, 0x1.3e22cbce4a902p+0,
    0x1.3813813813814p+0, 0x1.323e34a2b10bfp+0, 0x1.2c9fb4d812ca0p+0, 0x1.27350b8812735p+0,
    0x1.21fb78121fb78p+0, 0x1.1cf06ada2811dp+0, 0x1.1811811811812p+0, 0x1.135c81135c811p+0,
    0x1.0ecf56be69c90p+0, 0x1.0a6810a6810a7p+0, 0x1.0624dd2f1a9fcp+0, 0x1.0000000000000p+0,
};
alignas(64) inline constexpr double log_t_hi[32] = {
    0x1.fc0a8b0fc03c4p-7, 0x1.77458f632dcffp-5, 0x1.341d7961bd1d0p-4, 0x1.a926d3a4ad562p-4,
    0x1.0d77e7cd08e5bp-3, 0x1.44d2b6ccb7d1cp-3, 0x1.7ab890210d907p-3, 0x1.af3c94e80bff3p-3,
    0x1.e27076e2af2e8p-3, 0x1.0a324e27390e2p-2, 0x1.22941fbcf7966p-2, 0x1.3a64c556945eap-2,
    0x1.51aad872df82ep-2, 0x1.686c81e9b14adp-2, 0x1.7eaf83b82afc2p-2, 0x1.947941c2116fbp-2,
    -0x1.1bf99635a6b95p-2, -0x1.07138604d5864p-2, -0x1.e530effe71013p-3, -0x1.bd087383bd8aap-3,
    -0x1.95a5adcf70182p-3, -0x1.6f0128b756ab9p-3, -0x1.4913d8333b563p-3, -0x1.23d712a49c201p-3,
    -0x1.fe89139dbd565p-4, -0x1.b6ac88dad5b1dp-4, -0x1.700d30aeac0e8p-4, -0x1.2aa04a44717a1p-4,
    -0x1.ccb73cdddb2d0p-5, -0x1.466aed42de3f9p-5, -0x1.8492528c8cac5p-6, 0x0.0p+0,
};
alignas(64) inline constexpr double log_t_lo[32] = {
    -0x1.83092c5964281p-62, 0x1.8d3ca87b92968p-63, -0x1.3599f227becbbp-58, -0x1.d7a16eab1e2adp-59,
    0x1.9a5dc5e9030adp-57, 0x1.7d3d950f87e23p-59, -0x1.1072534a57e7dp-57, 0x1.a3398064df33ep-57,
    -0x1.61578001e015ep-59, 0x1.bdcfde8061c03p-56, -0x1.dbd7ac258a2bdp-58, 0x1.cbcd735d03424p-60,
    -0x1.d8db0a7cc1543p-56, 0x1.710af840538e3p-56, -0x1.698b43096b576p-59, 0x1.1266e8a3e8838p-57,
    0x1.e9575c2124912p-56, 0x1.24e912b16ec8bp-60, 0x1.f7627ef82f3f0p-57, 0x1.1165504ad749ep-59,
    -0x1.8a16283fdbd1cp-57, 0x1.37967087859b9p-59, 0x1.0d5604930f137p-58, -0x1.51c7e9efae297p-57,
    0x1.ac9f4215f9394p-58, 0x1.002bf768e52d0p-58, -0x1.a36a677b4c8b2p-59, -0x1.aea2c72d05c08p-58,
    0x1.e48fb0500efd5p-59, 0x1.9badefe942718p-60, 0x1.d192d0619fa68p-60, 0x0.0p+0,
};

// ln 2 = ln2_hi + ln2_lo, ln2_hi of 42 bits.
inline constexpr double ln2_hi = 0x1.62e42fefa3800p-1;
inline constexpr double ln2_lo = 0x1.ef35793c76730p-45;
// Q(r) = Σ (−1)^i r^i / (i + 3), i = 0 … 8; remainder 5.62e-21 relative.
alignas(64) inline constexpr double log_q[9] = {
    0x1.5555555555555p-2, -0x1.0000000000000p-2, 0x1.999999999999ap-3, -0x1.5555555555555p-3,
    0x1.2492492492492p-3, -0x1.0000000000000p-3, 0x1.c71c71c71c71cp-4, -0x1.999999999999ap-4,
    0x1.745d1745d1746p-4,
};

// Sine: π/32 = pi32_1 + pi32_2 + pi32_3 (pi32_1 and pi32_2 of 44 bits), and 32/π.
inline constexpr double pi32_1 = 0x1.921fb54442e00p-4;
inline constexpr double pi32_2 = -0x1.cf72cece67600p-49;
inline constexpr double pi32_3 = 0x1.701b839a25205p-96;
inline constexpr double inv_pi32 = 0x1.45f306dc9c883p+3;
// The largest u taken, below the limit of an exact reduction (k = u·32/π
// < 512) and above that of the midpoints (31·ln 2).
inline constexpr double sin_umax = 25.0;
// sin jπ/32 and cos jπ/32 as double-doubles, j = 0 … 15.
alignas(64) inline constexpr double sin_hi[16] = {
    0x0.0p+0, 0x1.917a6bc29b42cp-4, 0x1.8f8b83c69a60bp-3, 0x1.294062ed59f06p-2,
    0x1.87de2a6aea963p-2, 0x1.e2b5d3806f63bp-2, 0x1.1c73b39ae68c8p-1, 0x1.44cf325091dd6p-1,
    0x1.6a09e667f3bcdp-1, 0x1.8bc806b151741p-1, 0x1.a9b66290ea1a3p-1, 0x1.c38b2f180bdb1p-1,
    0x1.d906bcf328d46p-1, 0x1.e9f4156c62ddap-1, 0x1.f6297cff75cb0p-1, 0x1.fd88da3d12526p-1,
};
alignas(64) inline constexpr double sin_lo[16] = {
    0x0.0p+0, -0x1.e2718d26ed688p-60, -0x1.26d19b9ff8d82p-57, -0x1.5d28da2c4612dp-56,
    -0x1.72cedd3d5a610p-57, 0x1.e0d891d3c6841p-58, 0x1.b25dd267f6600p-55, 0x1.8076a2cfdc6b3p-57,
    -0x1.bdd3413b26456p-55, -0x1.2c5e12ed1336dp-55, 0x1.9f630e8b6dac8p-60, -0x1.6e0b1757c8d07p-56,
    0x1.457e610231ac2p-56, 0x1.760b1e2e3f81ep-55, 0x1.562172a361fd3p-56, -0x1.87df6378811c7p-55,
};
alignas(64) inline constexpr double cos_hi[16] = {
    0x1.0000000000000p+0, 0x1.fd88da3d12526p-1, 0x1.f6297cff75cb0p-1, 0x1.e9f4156c62ddap-1,
    0x1.d906bcf328d46p-1, 0x1.c38b2f180bdb1p-1, 0x1.a9b66290ea1a3p-1, 0x1.8bc806b151741p-1,
    0x1.6a09e667f3bcdp-1, 0x1.44cf325091dd6p-1, 0x1.1c73b39ae68c8p-1, 0x1.e2b5d3806f63bp-2,
    0x1.87de2a6aea963p-2, 0x1.294062ed59f06p-2, 0x1.8f8b83c69a60bp-3, 0x1.917a6bc29b42cp-4,
};
alignas(64) inline constexpr double cos_lo[16] = {
    0x0.0p+0, -0x1.87df6378811c7p-55, 0x1.562172a361fd3p-56, 0x1.760b1e2e3f81ep-55,
    0x1.457e610231ac2p-56, -0x1.6e0b1757c8d07p-56, 0x1.9f630e8b6dac8p-60, -0x1.2c5e12ed1336dp-55,
    -0x1.bdd3413b26456p-55, 0x1.8076a2cfdc6b3p-57, 0x1.b25dd267f6600p-55, 0x1.e0d891d3c6841p-58,
    -0x1.72cedd3d5a610p-57, -0x1.5d28da2c4612dp-56, -0x1.26d19b9ff8d82p-57, -0x1.e2718d26ed688p-60,
};

// sin z = z + z³·Σ sin_p[i] z^(2i), cos z = 1 − z²/2 + z⁴·Σ cos_p[i] z^(2i);
// remainders 2.25e-21 and 1.45e-23 relative.
alignas(64) inline constexpr double sin_p[4] = {
    -0x1.5555555555555p-3, 0x1.1111111111111p-7, -0x1.a01a01a01a01ap-13, 0x1.71de3a556c734p-19,
};
inline constexpr double sin_p0_lo = -0x1.5555555555555p-57;  // sin_p[0] + sin_p0_lo = −1/6
alignas(64) inline constexpr double cos_p[4] = {
    0x1.5555555555555p-5, -0x1.6c16c16c16c17p-10, 0x1.a01a01a01a01ap-16, -0x1.27e4fb7789f5cp-22,
};

// The rounding test's half-width, in units of the power of two 2^e ≤ |hi|:
// the error bound 2⁻⁶²·|hi| < 2⁻⁶¹·2^e plus the guard band G ulp (2^(e−52)).
// Logarithm, by the binade b of |ln x| below 1 (0 for |ln x| ≥ ½),
// b = 0 … 31:
//   0.00537, 0.008, 0.014, 0.0264, 0.0075, 0.005, 0.00362, 0.003
//   0.00225, 0.00212, 0.002, 0.002, 0.002, 0.002, 0.002, 0.002
//   0.002, 0.002, 0.002, 0.002, 0.002, 0.002, 0.002, 0.002
//   0.002, 0.002, 0.002, 0.002, 0.002, 0.002, 0.002, 0.002
// Sine, by the distance class c of u (c·π/32 from the nearest multiple of
// π), c = 0 … 16:
//   0.00325, 0.031, 0.031, 0.0301, 0.0162, 0.016, 0.00887, 0.00887
//   0.00975, 0.00912, 0.00912, 0.00787, 0.00587, 0.0055, 0.004, 0.00362
//   0.00237
// log_width by the biased exponent E of hi mod 16 (the widest band of the
// binades 1022 − E that share a slot), sin_width by k mod 32.
alignas(64) inline constexpr double log_width[16] = {
    0x1.e04189374bc6ap-60, 0x1.e04189374bc6ap-60, 0x1.e04189374bc6ap-60, 0x1.e04189374bc6ap-60,
    0x1.e04189374bc6ap-60, 0x1.e04189374bc6ap-60, 0x1.e04189374bc6ap-60, 0x1.e04189374bc6ap-60,
    0x1.e04189374bc6ap-60, 0x1.e04189374bc6ap-60, 0x1.35c28f5c28f5cp-59, 0x1.d020c49ba5e35p-58,
    0x1.05604189374bcp-58, 0x1.4624dd2f1a9fcp-59, 0x1.e04189374bc6ap-60, 0x1.e04189374bc6ap-60,
};

alignas(64) inline constexpr double sin_width[32] = {
    0x1.54fdf3b645a1dp-60, 0x1.0df3b645a1cacp-57, 0x1.0df3b645a1cacp-57, 0x1.06c8b43958106p-57,
    0x1.2a3d70a3d70a4p-58, 0x1.2624dd2f1a9fcp-58, 0x1.62d0e56041893p-59, 0x1.62d0e56041893p-59,
    0x1.7f7ced916872bp-59, 0x1.6b020c49ba5e3p-59, 0x1.6b020c49ba5e3p-59, 0x1.420c49ba5e354p-59,
    0x1.0083126e978d5p-59, 0x1.e872b020c49bap-60, 0x1.8624dd2f1a9fcp-60, 0x1.6d916872b020cp-60,
    0x1.1ba5e353f7ceep-60, 0x1.6d916872b020cp-60, 0x1.8624dd2f1a9fcp-60, 0x1.e872b020c49bap-60,
    0x1.0083126e978d5p-59, 0x1.420c49ba5e354p-59, 0x1.6b020c49ba5e3p-59, 0x1.6b020c49ba5e3p-59,
    0x1.7f7ced916872bp-59, 0x1.62d0e56041893p-59, 0x1.62d0e56041893p-59, 0x1.2624dd2f1a9fcp-58,
    0x1.2a3d70a3d70a4p-58, 0x1.06c8b43958106p-57, 0x1.0df3b645a1cacp-57, 0x1.0df3b645a1cacp-57,
};


}  // namespace zorvick::quadrature::libm
