# Native build: the logic with an in-memory platform, its unit tests and benchmarks,
# or, with VOQ_FUZZ, its fuzz targets.
# A stand-in of a few bytes takes the place of the elevation helper's image.
add_library(voq_helper_image STATIC ${CMAKE_SOURCE_DIR}/tests/fake_platform/stand_in_helper_image.cpp)
target_include_directories(voq_helper_image PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(voq_core PUBLIC voq_helper_image)

if(VOQ_FUZZ)
  add_subdirectory(tests/fuzz)
  return()
endif()
add_subdirectory(tests/native)

# ---- scrambled values ------------------------------------------------------------
# Builds without Windows take Windows-1252 as their ANSI code page: the in-memory
# platform of the tests, and the native scramble tool.
target_sources(voq_fake_platform PRIVATE ${CMAKE_SOURCE_DIR}/platform/portable/ansi_cp1252.cpp)

add_executable(voq-scramble ${CMAKE_SOURCE_DIR}/tools/voq-scramble/scramble_tool.cpp
                            ${CMAKE_SOURCE_DIR}/tools/voq-scramble/main_native.cpp
                            ${CMAKE_SOURCE_DIR}/platform/portable/ansi_cp1252.cpp)
# Only the format's objects come from the library: the tool needs no launcher.
target_link_libraries(voq-scramble PRIVATE voq_core)
# The exact output for a value and a password, worked out by hand from the format
# (tests/native/scrambled_test.cpp shows the steps).
add_test(NAME ScrambleTool.PrintsThePasswordLockedValue
         COMMAND voq-scramble --password pw "C:\\Data")
set_tests_properties(ScrambleTool.PrintsThePasswordLockedValue PROPERTIES
                     PASS_REGULAR_EXPRESSION "^!@@Ng4pEVRTEgUVVSUbMHFNVRAmE2gHDyZ8\n$")
add_test(NAME ScrambleTool.RejectsAMissingValue COMMAND voq-scramble --password pw)
set_tests_properties(ScrambleTool.RejectsAMissingValue PROPERTIES WILL_FAIL TRUE)

# ---- the check -------------------------------------------------------------------
# voq-check's recording layer on the in-memory platform, built a second time with
# the real seam's names below it; its tests arrange the in-memory machine.
add_subdirectory(tests/check)
