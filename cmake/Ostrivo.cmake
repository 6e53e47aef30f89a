# ostrivo_library(<folder> DEPS <targets...>)
# One static library per source folder; every .cpp/.h in the folder belongs to it.
function(ostrivo_library folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    # A subsystem whose code has not been written yet still gives a (empty) library to link.
    set(placeholder ${CMAKE_CURRENT_BINARY_DIR}/ostrivo_${folder}_empty.cpp)
    file(WRITE ${placeholder} "// no sources yet\n")
    set(sources ${placeholder})
  endif()
  add_library(ostrivo_${folder} STATIC ${sources})
  target_include_directories(ostrivo_${folder} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(ostrivo_${folder} PUBLIC ${ARG_DEPS})
  target_compile_definitions(ostrivo_${folder} PUBLIC OSTRIVO_VERSION="${PROJECT_VERSION}")
endfunction()

# ostrivo_tests(<subsystem>)
# Every tests/<subsystem>/tst_<unit>.cpp becomes the test executable tst_<unit>, linked with all Ostrivo
# libraries and Qt Test and run headless. Other .cpp/.h files in that folder are helpers shared by its tests.
function(ostrivo_tests subsystem)
  set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${subsystem})
  file(GLOB tests CONFIGURE_DEPENDS ${dir}/tst_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  list(FILTER helpers EXCLUDE REGEX "/tst_[^/]*\\.cpp$")
  foreach(test_source ${tests})
    get_filename_component(name ${test_source} NAME_WE)
    add_executable(${name} ${test_source} ${helpers})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
    target_include_directories(${name} PRIVATE ${dir})
    target_link_libraries(${name} PRIVATE ostrivo_testsupport)
    add_test(NAME ${subsystem}/${name} COMMAND ${name})
    set_tests_properties(${subsystem}/${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OSTRIVO_UPNP_INTERFACE=lo"
      TIMEOUT 300 LABELS ${subsystem})
    # Tests that play sound share the media backend's fallback sink: run them one at a time.
    file(READ ${test_source} test_text)
    string(FIND "${test_text}" "OpenPlayer" plays_sound)
    if(NOT plays_sound EQUAL -1)
      set_tests_properties(${subsystem}/${name} PROPERTIES RESOURCE_LOCK audio)
    endif()
    # Tests with UPnP devices on loopback would see each other's devices: run them one at a time.
    string(REGEX MATCH "--upnp|StartUPnPCamSim" uses_upnp "${test_text}")
    if(uses_upnp)
      set_tests_properties(${subsystem}/${name} PROPERTIES RESOURCE_LOCK upnp)
    endif()
  endforeach()
endfunction()
