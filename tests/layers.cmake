cmake_minimum_required(VERSION 3.25)
# Checks that every include points down the layers: the data layer includes only itself,
# components include no window, and no source includes another window's generated form.
# Run as: cmake -DSOURCE_DIR=<src> -P layers.cmake
set(windows "shell|checkout|catalogue|sales|operators|maintenance")
# Forms still shared between the main window and its checkout panels, and the login's use
# of the main window's form, until those windows reach each other by named operations.
set(form_exceptions "checkout/cart.cpp:MAIN" "checkout/settlement.cpp:MAIN"
    "shell/MAIN.cpp:LineEditor" "shell/MAIN.cpp:Settlement")
set(rules
  "data|#include *[<\"](components|${windows})/"
  "components|#include *[<\"](${windows})/|#include *[<\"]ui_")
set(failures "")
foreach(rule IN LISTS rules)
  string(FIND "${rule}" "|" bar)
  string(SUBSTRING "${rule}" 0 ${bar} folder)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${rule}" ${start} -1 pattern)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" hits REGEX "${pattern}")
    if(hits)
      list(APPEND failures "${source}: ${hits}")
    endif()
  endforeach()
endforeach()
# A window's form header belongs to that window's source (checkout's sources are members
# of the main window and share its forms).
file(GLOB_RECURSE window_sources "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
foreach(source IN LISTS window_sources)
  file(STRINGS "${source}" forms REGEX "#include *\"ui_[A-Za-z0-9_]+\\.h\"")
  get_filename_component(base "${source}" NAME_WE)
  get_filename_component(folder "${source}" DIRECTORY)
  get_filename_component(folder "${folder}" NAME)
  foreach(form IN LISTS forms)
    string(REGEX REPLACE ".*ui_([A-Za-z0-9_]+)\\.h.*" "\\1" name "${form}")
    if(NOT name STREQUAL base AND NOT EXISTS "${SOURCE_DIR}/${folder}/${name}.ui"
       AND NOT "${folder}/${base}.cpp:${name}" IN_LIST form_exceptions)
      list(APPEND failures "${source}: includes the form of another window (${form})")
    endif()
  endforeach()
endforeach()
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "Includes against the layers:\n${text}")
endif()
message(STATUS "layers: every include points down")
