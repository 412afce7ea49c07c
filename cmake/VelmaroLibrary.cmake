# One static library per source folder, from every .cpp in it.
function(velmaro_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)  # a folder whose code is not written yet
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  velmaro_warnings(${name})
endfunction()

# One test program per test source, so that each builds and runs on its own under Wine.
# PROPERTIES: further test properties for every discovered test (e.g. FIXTURES_REQUIRED).
# LOCKS: Stem=Resource pairs; the tests of that program never run beside others that hold the
# resource (the clipboard is one per session, and CTest runs tests in parallel). The resource is also
# the tests' label, so a run can take them apart from the rest.
# SERIAL: Stem=Regex pairs; the tests of that program whose names match run alone, for what no lock can
# keep: which window is in front, which any window of any test on the display can change.
function(velmaro_tests prefix)
  cmake_parse_arguments(ARG "" "" "LIBS;PROPERTIES;LOCKS;SERIAL" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_custom_target(${prefix}_tests)  # builds all of the folder's test programs
  foreach(source ${sources})
    get_filename_component(stem ${source} NAME_WE)
    set(name ${prefix}_${stem})
    add_executable(${name} ${source} ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_support GTest::gtest)
    velmaro_warnings(${name})
    set(locks)
    foreach(lock ${ARG_LOCKS})
      string(REPLACE "=" ";" pair ${lock})
      list(GET pair 0 lock_stem)
      list(GET pair 1 lock_resource)
      if(lock_stem STREQUAL stem)
        list(APPEND locks ${lock_resource})
      endif()
    endforeach()
    # Parameterised cases are named by what they are; CTest's names carry no printed parameter values.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT ${VELMARO_TEST_TIMEOUT} NO_PRETTY_VALUES
                         PROPERTIES TIMEOUT ${VELMARO_TEST_TIMEOUT} ${ARG_PROPERTIES})
    set(serial)
    foreach(pattern ${ARG_SERIAL})
      string(REGEX MATCH "^${stem}=(.*)" matched ${pattern})
      if(matched)
        set(serial ${CMAKE_MATCH_1})
      endif()
    endforeach()
    if(locks OR serial)
      # Set once the tests are discovered: the discovery's properties cannot carry a list of resources.
      set(lock_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_locks.cmake)
      file(WRITE ${lock_script} "foreach(test \${${name}_TESTS})\n")
      if(locks)
        file(APPEND ${lock_script}
             "  set_tests_properties(\"\${test}\" PROPERTIES RESOURCE_LOCK \"${locks}\" LABELS \"${locks}\")\n")
      endif()
      if(serial)
        file(APPEND ${lock_script} "  if(test MATCHES \"${serial}\")\n"
             "    set_tests_properties(\"\${test}\" PROPERTIES RUN_SERIAL TRUE)\n  endif()\n")
      endif()
      file(APPEND ${lock_script} "endforeach()\n")
      set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${lock_script})
    endif()
    add_dependencies(${prefix}_tests ${name})
  endforeach()
endfunction()
