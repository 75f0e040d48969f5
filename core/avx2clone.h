#pragma once
// Marks a hot loop's function to be built twice, for AVX2 and for any x86-64,
// the build chosen once at start-up by what the processor has. Both builds
// give the same integers. The race detector cannot run the chooser, which
// the dynamic linker calls before the detector is up: under it, one build.

#if defined(__SANITIZE_THREAD__)
#define VANTOREL_AVX2_CLONE
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VANTOREL_AVX2_CLONE
#endif
#endif
#ifndef VANTOREL_AVX2_CLONE
#define VANTOREL_AVX2_CLONE __attribute__((target_clones("avx2", "default")))
#endif
