// LULLWOOD_ASAN is 1 in a build with AddressSanitizer, which holds freed memory on
// purpose and runs several times slower: tests that measure memory or time adapt to it.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define LULLWOOD_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LULLWOOD_ASAN 1
#endif
#endif

// LULLWOOD_TSAN is 1 in a build with ThreadSanitizer, which also runs several times
// slower and keeps shadow memory and access history that grow with the run.
#if defined(__SANITIZE_THREAD__)
#define LULLWOOD_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define LULLWOOD_TSAN 1
#endif
#endif
