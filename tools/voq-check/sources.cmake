# voq-check's own objects, the same for both toolchains: the report and the
# driver, and the recording layer, which is built with the real seam's names
# (platform/real_seam_names.h) so that it reaches the implementation below it.
set(VOQ_CHECK_SOURCES ${CMAKE_SOURCE_DIR}/tools/voq-check/check_tool.cpp
                      ${CMAKE_SOURCE_DIR}/tools/voq-check/check_findings.cpp
                      ${CMAKE_SOURCE_DIR}/tools/voq-check/check_report.cpp
                      ${CMAKE_SOURCE_DIR}/tools/voq-check/check_overlay.cpp
                      ${CMAKE_SOURCE_DIR}/tools/voq-check/check_overlay_registry.cpp
                      ${CMAKE_SOURCE_DIR}/tools/voq-check/recording_seam.cpp)
set_source_files_properties(${CMAKE_SOURCE_DIR}/tools/voq-check/check_overlay.cpp
                            ${CMAKE_SOURCE_DIR}/tools/voq-check/check_overlay_registry.cpp
                            ${CMAKE_SOURCE_DIR}/tools/voq-check/recording_seam.cpp
                            PROPERTIES COMPILE_DEFINITIONS VOQ_REAL_SEAM)
