# qm_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [CORE])
# One GoogleTest binary per module. CORE marks suites of the core libraries, which also
# run in the sanitizer build. Tests run headless and find the corpus through QM_CORPUS.
function(qm_add_test)
  cmake_parse_arguments(T "CORE" "NAME" "SOURCES;LIBS" ${ARGN})
  if(QM_SANITIZE AND NOT T_CORE)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${T_NAME} PRIVATE QM_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(labels "")
  if(T_CORE)
    set(labels core)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "${labels}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QM_CORPUS=${QM_CORPUS_DIR}"
    TIMEOUT 600)
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt, so that
# modules can add their own test, bench or fuzz folders without editing a shared list.
# MATCHING <regex> keeps only the folders whose name matches.
function(qm_add_subfolders)
  cmake_parse_arguments(S "" "MATCHING" "" ${ARGN})
  file(GLOB children RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt")
  list(SORT children)
  foreach(child IN LISTS children)
    get_filename_component(dir "${child}" DIRECTORY)
    if(S_MATCHING AND NOT dir MATCHES "${S_MATCHING}")
      continue()
    endif()
    add_subdirectory("${dir}")
  endforeach()
endfunction()
