# lullwood_catalogue_sounds(<variable>): the resource names of the catalogue's sounds,
# backgrounds then effects, read from the catalogue itself. A small program built from
# the catalogue's own source prints them when the project is configured, and the
# project is configured again whenever the catalogue changes, so the build's list of
# wave files has no spelling of its own.
function(lullwood_catalogue_sounds variable)
  set(catalogue ${PROJECT_SOURCE_DIR}/catalogue)
  try_run(run_result compiled ${CMAKE_BINARY_DIR}/catalogue-sounds
    SOURCES ${PROJECT_SOURCE_DIR}/cmake/print_catalogue_sounds.cpp ${catalogue}/SoundCatalogue.cpp
    CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${catalogue}"
    CXX_STANDARD 20
    CXX_STANDARD_REQUIRED ON
    COMPILE_OUTPUT_VARIABLE compile_output
    RUN_OUTPUT_VARIABLE names)
  if(NOT compiled OR NOT run_result EQUAL 0)
    message(FATAL_ERROR "The catalogue's sound names could not be read:\n${compile_output}")
  endif()
  string(STRIP "${names}" names)
  string(REPLACE "\n" ";" names "${names}")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${catalogue}/SoundCatalogue.cpp ${catalogue}/SoundCatalogue.h
    ${PROJECT_SOURCE_DIR}/cmake/print_catalogue_sounds.cpp)
  set(${variable} ${names} PARENT_SCOPE)
endfunction()
