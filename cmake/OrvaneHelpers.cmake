# One way to add a folder's library and one way to add a test program, so the
# folders' CMakeLists.txt say only what differs: sources and dependencies.

# Qt's code generators run only where Qt is used: every other target would
# pay two build steps for nothing.
function(orvane_qt_generators)
  set_target_properties(${ARGN} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON)
endfunction()

# orvane_add_library(<name> [QT] SOURCES <files...> DEPENDS <targets...>)
# A folder's static library: the folders it may use are exactly DEPENDS, so
# the one-way dependencies stay visible and enforced by the build. QT turns
# the code generators on.
function(orvane_add_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QT" "" "SOURCES;DEPENDS")
  add_library(${name} STATIC ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${arg_DEPENDS} orvane_options)
  if(arg_QT)
    orvane_qt_generators(${name})
  endif()
endfunction()

# orvane_add_test(<name> [QT] SOURCES <files...> LIBS <targets...> [TIMEOUT <s>])
# A GoogleTest program whose cases ctest lists one by one. QT programs run
# offscreen, the tests' only toolkit environment, and carry the no-tsan label:
# the distribution's Qt is not built with the thread sanitizer.
function(orvane_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QT" "TIMEOUT" "SOURCES;LIBS")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} orvane_options GTest::gtest_main)
  set(properties)
  if(arg_TIMEOUT)
    list(APPEND properties TIMEOUT ${arg_TIMEOUT})
  endif()
  if(arg_QT)
    orvane_qt_generators(${name})
    list(APPEND properties LABELS no-tsan ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  if(properties)
    gtest_discover_tests(${name} PROPERTIES ${properties} DISCOVERY_TIMEOUT 30)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
  endif()
endfunction()
