# ostrivo_library(<folder> [NAME <target>] [FILES <names...>] [EXCLUDE <names...>]
#                 [PUBLIC <targets...>] [PRIVATE <targets...>] [DEPS <targets...>])
# One static library per source folder, named ostrivo_<folder>; every .cpp/.h in the folder belongs to it unless
# FILES lists the ones that do (a folder split in two libraries) or EXCLUDE leaves some out.
# PUBLIC: what the folder's headers expose (a user of the library needs it too); PRIVATE: what only its .cpp
# files use. DEPS is an older spelling of PUBLIC.
function(ostrivo_library folder)
  cmake_parse_arguments(ARG "" "NAME" "DEPS;PUBLIC;PRIVATE;FILES;EXCLUDE" ${ARGN})
  set(target ostrivo_${folder})
  if(ARG_NAME)
    set(target ${ARG_NAME})
  endif()
  if(ARG_FILES)
    list(TRANSFORM ARG_FILES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
  else()
    file(GLOB sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(name ${ARG_EXCLUDE})
      list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${name})
    endforeach()
  endif()
  if(NOT sources)
    # A subsystem whose code has not been written yet still gives a (empty) library to link.
    set(placeholder ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp)
    file(WRITE ${placeholder} "// no sources yet\n")
    set(sources ${placeholder})
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  target_compile_definitions(${target} PRIVATE OSTRIVO_VERSION="${PROJECT_VERSION}")
endfunction()

# ostrivo_test_labels(<test name> <labels...>)
# Extra CTest labels of one test program (tst_<unit>), given before the tests are created. The label "audio"
# marks a test that plays sound: such tests share the media backend's fallback sink and run one at a time.
function(ostrivo_test_labels name)
  set_property(GLOBAL APPEND PROPERTY OSTRIVO_TEST_LABELS_${name} ${ARGN})
endfunction()

# ostrivo_test_cost(<test name> <seconds>)
# How long a test program (tst_<unit>) takes on two cores, given before the tests are created, so that the
# longest start first. CTest learns this from a run's timing record, but a fresh build has none and would
# start them in folder order, leaving a long one to run alone at the end.
function(ostrivo_test_cost name seconds)
  set_property(GLOBAL PROPERTY OSTRIVO_TEST_COST_${name} ${seconds})
endfunction()

# ostrivo_tests(<subsystem> LINK <targets...>)
# Every tests/<subsystem>/tst_<unit>.cpp becomes the test executable tst_<unit>, linked with what LINK names
# (by default the subsystem's own library, ostrivo_<subsystem>) and Qt Test, and run headless. Other .cpp/.h
# files in that folder are helpers shared by its tests.
function(ostrivo_tests subsystem)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${subsystem})
  file(GLOB tests CONFIGURE_DEPENDS ${dir}/tst_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  list(FILTER helpers EXCLUDE REGEX "/tst_[^/]*\\.cpp$")
  set(link ${ARG_LINK})
  if(NOT link)
    set(link ostrivo_${subsystem})
  endif()
  # The folder's helpers are compiled once and linked into each of its tests.
  set(helper_objects "")
  if(helpers)
    add_library(ostrivo_testhelpers_${subsystem} OBJECT ${helpers})
    target_include_directories(ostrivo_testhelpers_${subsystem} PRIVATE ${dir})
    target_link_libraries(ostrivo_testhelpers_${subsystem} PRIVATE ostrivo_testsupport ${link})
    set(helper_objects $<TARGET_OBJECTS:ostrivo_testhelpers_${subsystem}>)
  endif()
  foreach(test_source ${tests})
    get_filename_component(name ${test_source} NAME_WE)
    add_executable(${name} ${test_source} ${helper_objects})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
    target_include_directories(${name} PRIVATE ${dir})
    target_link_libraries(${name} PRIVATE ostrivo_testsupport ${link})
    add_test(NAME ${subsystem}/${name} COMMAND ${name})
    get_property(labels GLOBAL PROPERTY OSTRIVO_TEST_LABELS_${name})
    set_tests_properties(${subsystem}/${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OSTRIVO_UPNP_INTERFACE=lo"
      TIMEOUT 300 LABELS "${subsystem};${labels}")
    get_property(cost GLOBAL PROPERTY OSTRIVO_TEST_COST_${name})
    if(cost)
      set_tests_properties(${subsystem}/${name} PROPERTIES COST ${cost})
    endif()
    # Tests labelled "audio" share the media backend's fallback sink, tests labelled "upnp" see each other's
    # devices on loopback: each such group runs one at a time.
    foreach(shared audio upnp)
      if(shared IN_LIST labels)
        set_tests_properties(${subsystem}/${name} PROPERTIES RESOURCE_LOCK ${shared})
      endif()
    endforeach()
  endforeach()
endfunction()
