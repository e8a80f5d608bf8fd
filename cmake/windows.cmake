# The real launcher and the programs that test it under Wine.
file(GLOB VOQ_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
add_library(voq_platform_win32 STATIC ${VOQ_WIN32_SOURCES})
target_include_directories(voq_platform_win32 PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(voq_platform_win32 PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(voq_platform_win32 PUBLIC shell32 shlwapi advapi32 user32 comctl32 ole32 psapi)

# Static runtime: the launcher must run from a bare USB stick with no DLLs beside it.
set(VOQ_STATIC_LINK -static -static-libgcc -static-libstdc++)

add_executable(voQ WIN32 ${CMAKE_SOURCE_DIR}/platform/win32/entry/win_main.cpp)
target_compile_definitions(voQ PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_options(voQ PRIVATE -municode)
target_link_options(voQ PRIVATE -municode -mwindows ${VOQ_STATIC_LINK})
target_link_libraries(voQ PRIVATE voq_core voq_platform_win32 voq_core)

add_subdirectory(tests/windows)
