# Native build: the logic with an in-memory platform, its unit tests and benchmarks.
add_subdirectory(tests/native)
