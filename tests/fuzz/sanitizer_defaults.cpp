// AddressSanitizer's settings for the fuzz targets. What it detects is unchanged;
// what it spends per allocation is not. Every target allocates a few hundred short
// texts per input, and with the defaults a third of the time went to recording a
// 30-frame stack for each allocation and free (shown only in a report's "allocated
// by" and "freed by" parts) and to handing freed pages back to the system and
// faulting them in again. To see those stacks for an input that broke a target:
//   ASAN_OPTIONS=malloc_context_size=30 build/fuzz/tests/fuzz/<name>_fuzz <input>
// (ASAN_OPTIONS is read after these and wins.)
extern "C" const char* __asan_default_options() {
  return "malloc_context_size=0:allocator_release_to_os_interval_ms=-1";
}
