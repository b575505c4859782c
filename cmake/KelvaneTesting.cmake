# kelvane_add_test(<name> SOURCES <files...> LIBS <targets...> [WIDGETS] [PTY])
# Builds one Qt Test binary, named after its source file tst_<Name>.cpp, and
# registers it with CTest. WIDGETS runs it on the offscreen platform so no
# display is needed. PTY marks a test that talks over pseudo-terminals (label
# "pty"); every other test is a fast unit test (label "unit"), so that
# `ctest -L unit` answers in a second.
function(kelvane_add_test name)
  cmake_parse_arguments(ARG "WIDGETS;PTY" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${name}.cpp ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test kelvane_test_support ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(env "LC_ALL=C.UTF-8")
  if(ARG_WIDGETS)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  if(ARG_PTY)
    set(label pty)
  else()
    set(label unit)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}" LABELS ${label})
endfunction()
