# Small helpers shared by every folder's CMakeLists.

set(ORVANE_FIXTURES_DIR "${PROJECT_SOURCE_DIR}/../shared/fixtures" CACHE PATH
    "Real Jet files written by other programs, for reader tests")

# orvane_library(NAME SOURCES ... [DEPS ...] [PRIVATE_DEPS ...]): a static
# library from the listed files of the calling folder. Include paths are
# rooted at src/ ("db/Engine.h"). DEPS are part of the library's interface
# (its headers include them); PRIVATE_DEPS are used by its sources only.
function(orvane_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON POSITION_INDEPENDENT_CODE ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
endfunction()

# orvane_tests(DEPS ...): one Qt Test executable per tst_*.cpp in the calling
# folder, registered with CTest under the file's name.
function(orvane_tests)
  cmake_parse_arguments(A "" "" "DEPS;LABELS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support_*.cpp)
  foreach(t ${tests})
    get_filename_component(tname ${t} NAME_WE)
    add_executable(${tname} ${t} ${support})
    set_target_properties(${tname} PROPERTIES AUTOMOC ON AUTORCC ON
                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_include_directories(${tname} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${tname} PRIVATE Qt6::Test ${A_DEPS})
    target_compile_definitions(${tname} PRIVATE
      ORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      ORVANE_BINARY_DIR="${CMAKE_BINARY_DIR}"
      ORVANE_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
      ORVANE_FIXTURES_DIR="${ORVANE_FIXTURES_DIR}")
    add_test(NAME ${tname} COMMAND ${tname})
    set_tests_properties(${tname} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false"
      TIMEOUT 300 LABELS "${A_LABELS}")
  endforeach()
endfunction()
