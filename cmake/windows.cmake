# The real launcher and the programs that test it under Wine. The tests run the
# very image that ships: what makes it small is set here for every Windows build.
enable_language(RC)

# The launcher's own code, as it ships:
# - without exceptions: it throws and catches none (see
#   platform/win32/entry/runtime_without_exceptions.cpp);
# - statics initialised without a lock: the launcher has one thread;
# - each function and datum in a section of its own, so that the linker keeps only
#   what is called;
# - the source and build folders named as "." in whatever the compiler embeds, so
#   that where the tree was checked out does not change the bytes.
set(VOQ_SHIPPED_CODE -ffunction-sections -fdata-sections -fno-exceptions -fno-threadsafe-statics
                     -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
target_compile_options(voq_core PRIVATE ${VOQ_SHIPPED_CODE})

file(GLOB VOQ_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
add_library(voq_platform_win32 STATIC ${VOQ_WIN32_SOURCES})
target_include_directories(voq_platform_win32 PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(voq_platform_win32 PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_options(voq_platform_win32 PRIVATE ${VOQ_SHIPPED_CODE})
target_link_libraries(voq_platform_win32 PUBLIC shell32 shlwapi advapi32 user32 gdi32 comdlg32
                                                comctl32 ole32 psapi winmm wininet)

# Static runtime: the launcher must run from a bare USB stick with no DLLs beside it.
set(VOQ_STATIC_LINK -static -static-libgcc -static-libstdc++)

# The elevation helper, built for 32-bit Windows and carried as a byte array.
add_subdirectory(elevation-helper)
target_link_libraries(voq_core PUBLIC voq_helper_image)

# A program that ships: the runtime without exceptions, unused code collected,
# symbols stripped, and no link time in the header, so that the same source gives
# the same bytes (the package's checksums rely on it).
function(voq_shipped_program target)
  target_sources(${target} PRIVATE
                 ${CMAKE_SOURCE_DIR}/platform/win32/entry/runtime_without_exceptions.cpp)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${VOQ_SHIPPED_CODE}>)
  target_link_options(${target} PRIVATE -Wl,--gc-sections -s -Wl,--no-insert-timestamp)
endfunction()

add_executable(voQ WIN32 ${CMAKE_SOURCE_DIR}/platform/win32/entry/win_main.cpp
                         ${CMAKE_SOURCE_DIR}/platform/win32/resources/voQ.rc)
target_compile_definitions(voQ PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                       VOQ_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
                                       VOQ_VERSION_MINOR=${PROJECT_VERSION_MINOR}
                                       VOQ_VERSION_PATCH=${PROJECT_VERSION_PATCH})
target_compile_options(voQ PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-municode>)
target_link_options(voQ PRIVATE -municode -mwindows ${VOQ_STATIC_LINK})
target_link_libraries(voQ PRIVATE voq_core voq_platform_win32 voq_core)
voq_shipped_program(voQ)

add_subdirectory(tests/windows)

# The example application that the README's demo runs through the launcher.
add_executable(counter_app WIN32 ${CMAKE_SOURCE_DIR}/demo/counter_app.cpp)
target_compile_definitions(counter_app PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
target_compile_options(counter_app PRIVATE -municode)
target_link_options(counter_app PRIVATE -municode -mwindows ${VOQ_STATIC_LINK})

# ---- scrambled values ------------------------------------------------------------
# voq-scramble.exe, the console tool that writes scrambled values, beside voQ.exe;
# the end-to-end tests find it there and check that the launcher decodes its output.
add_executable(voq-scramble ${CMAKE_SOURCE_DIR}/tools/voq-scramble/scramble_tool.cpp
                            ${CMAKE_SOURCE_DIR}/tools/voq-scramble/main_windows.cpp)
target_compile_options(voq-scramble PRIVATE -municode)
target_link_options(voq-scramble PRIVATE -municode ${VOQ_STATIC_LINK})
target_link_libraries(voq-scramble PRIVATE voq_core voq_platform_win32)
voq_shipped_program(voq-scramble)
add_dependencies(voq_e2e_tests voq-scramble)

# ---- benchmark -------------------------------------------------------------------
add_subdirectory(bench)

# ---- the check ---------------------------------------------------------------------
# voq-check.exe: the launcher's code on the check's recording layer, which reaches
# the system through a second build of platform/win32/ under the real seam's names.
include(${CMAKE_SOURCE_DIR}/tools/voq-check/sources.cmake)
add_library(voq_platform_win32_below_check STATIC ${VOQ_WIN32_SOURCES})
target_include_directories(voq_platform_win32_below_check PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(voq_platform_win32_below_check
                           PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX VOQ_REAL_SEAM)
target_compile_options(voq_platform_win32_below_check PRIVATE ${VOQ_SHIPPED_CODE})
target_link_libraries(voq_platform_win32_below_check PUBLIC shell32 shlwapi advapi32 user32 gdi32
                                                            comdlg32 comctl32 ole32 psapi winmm wininet)
add_executable(voq-check ${VOQ_CHECK_SOURCES} ${CMAKE_SOURCE_DIR}/tools/voq-check/main_windows.cpp)
target_compile_options(voq-check PRIVATE -municode)
target_link_options(voq-check PRIVATE -municode ${VOQ_STATIC_LINK})
target_link_libraries(voq-check PRIVATE voq_core voq_platform_win32_below_check voq_core)
voq_shipped_program(voq-check)
add_dependencies(voq_e2e_tests voq-check)
