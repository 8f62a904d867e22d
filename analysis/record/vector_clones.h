// Marks a function whose loops are worth four doubles per instruction: it is compiled twice,
// for processors with AVX2 and for any x86-64, and the program takes the first its processor
// runs when it starts (the Debian package is built for any x86-64).
//
// Not FMA: a fused multiply-add rounds once where the plain code rounds twice, and each result
// must be the same, to the bit, on every processor (the campaign cache keeps results across
// machines, and the tests compare reductions to the bit). Without it, and without reordered sums
// (no -ffast-math), each lane does what the scalar code does.
//
// A sanitized build takes the plain code only: its tests and the Release build's then check both
// forms against the same models on one machine.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_ADDRESS__)
#define PSD_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define PSD_VECTOR_CLONES
#endif
