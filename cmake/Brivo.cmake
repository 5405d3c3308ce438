# One static library per source folder: every .cpp, .h and .ui file of the folder is part of it,
# so adding a module means adding its files and nothing else.
function(brivo_folder_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/*.h
    ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  list(FILTER sources EXCLUDE REGEX "/[^/]*\\.h$")
  if(NOT sources)
    # a folder whose modules have not landed yet still gives its name to the link lines
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    return()
  endif()
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${target} STATIC ${sources} ${headers})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()

# One test executable per source folder, registered with CTest.  Every .cpp under tests/<folder>
# belongs to it; tests/common supplies main() with a QApplication on the offscreen platform.
function(brivo_folder_tests folder)
  cmake_parse_arguments(ARG "" "" "DEPS;ENV" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
  if(NOT sources)
    return()
  endif()
  set(target test_${folder})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE brivo_testmain ${ARG_DEPS})
  add_test(NAME ${folder} COMMAND ${target})
  set_tests_properties(${folder} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENV}"
    TIMEOUT 600)
endfunction()

# The libraries a fuzz target or benchmark names in its comment line "// links: <target>...", and
# whether one of the project's libraries among them is left out of this build (no web engine).
function(brivo_declared_links src out_links out_missing)
  file(STRINGS ${src} links_line REGEX "^// links: ")
  string(REPLACE "// links: " "" links "${links_line}")
  separate_arguments(links)
  set(missing FALSE)
  foreach(lib IN LISTS links)
    if(lib MATCHES "^brivo_" AND NOT TARGET ${lib})
      set(missing TRUE)
    endif()
  endforeach()
  set(${out_links} ${links} PARENT_SCOPE)
  set(${out_missing} ${missing} PARENT_SCOPE)
endfunction()
