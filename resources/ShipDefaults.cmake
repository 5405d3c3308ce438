# Writes the default settings (the sorted concatenation of SOURCE_DIR/*.ini, UTF-8) to TARGET, the
# settings file the program is distributed with, unless a file is there already: that one is the
# user's and stays as it is.
if(EXISTS "${TARGET}")
  return()
endif()
file(GLOB masters "${SOURCE_DIR}/*.ini")
list(SORT masters)
set(text "")
foreach(master IN LISTS masters)
  file(READ "${master}" part)
  string(APPEND text "${part}")
endforeach()
get_filename_component(folder "${TARGET}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
# written beside and renamed, so a stopped build never leaves half a file
file(WRITE "${TARGET}.part" "${text}")
file(RENAME "${TARGET}.part" "${TARGET}")
