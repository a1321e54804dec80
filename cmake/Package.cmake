# The framework and the control library as a CMake package, Weft, for programs built outside
# this tree:
#   cmake --install build/win32 --prefix DIR
# and in the program's CMakeLists.txt, with DIR on CMAKE_PREFIX_PATH:
#   find_package(Weft CONFIG REQUIRED)
#   target_link_libraries(app PRIVATE Weft::controls_extra)
# Headers keep the paths they have in this tree: framework/win/Forms.h, controls-extra/Cgauges.h.
include(CMakePackageConfigHelpers)

set(WEFT_VERSION 1.0.0)

# What a program names: the framework (its core and its Win32 side), the window's controls and
# the library of further controls, each bringing what it builds on. C++20 comes with them.
add_library(weft_framework INTERFACE)
target_link_libraries(weft_framework INTERFACE framework_core framework_win)
add_library(weft_controls INTERFACE)
target_link_libraries(weft_controls INTERFACE weft_framework controls_portable controls_win)
add_library(weft_controls_extra INTERFACE)
target_link_libraries(weft_controls_extra INTERFACE weft_framework controls_extra_portable
                      controls_extra_win)
target_compile_features(framework_core PUBLIC cxx_std_20)
# A program built on them needs only the system's DLLs, as this tree's programs do.
target_link_options(weft_framework INTERFACE -static)
foreach(part framework controls controls_extra)
  set_target_properties(weft_${part} PROPERTIES EXPORT_NAME ${part})
endforeach()

install(TARGETS framework_core framework_win controls_portable controls_win
                controls_extra_portable controls_extra_win
                weft_framework weft_controls weft_controls_extra
        EXPORT Weft ARCHIVE DESTINATION lib)
install(EXPORT Weft NAMESPACE Weft:: DESTINATION lib/cmake/Weft FILE WeftTargets.cmake)

# The headers of the libraries, not those of the programs that live beside them.
install(DIRECTORY framework/core framework/win DESTINATION include/framework
        FILES_MATCHING PATTERN "*.h" PATTERN res EXCLUDE)
install(DIRECTORY controls/ DESTINATION include/controls
        FILES_MATCHING PATTERN "*.h" PATTERN res EXCLUDE)
install(DIRECTORY controls-extra/ DESTINATION include/controls-extra
        FILES_MATCHING PATTERN "*.h" PATTERN gallery EXCLUDE PATTERN reference EXCLUDE)

file(WRITE ${CMAKE_BINARY_DIR}/package/WeftConfig.cmake
     "include(\"\${CMAKE_CURRENT_LIST_DIR}/WeftTargets.cmake\")\n")
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/WeftConfigVersion.cmake
                                 VERSION ${WEFT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/WeftConfig.cmake
              ${CMAKE_BINARY_DIR}/package/WeftConfigVersion.cmake
        DESTINATION lib/cmake/Weft)
