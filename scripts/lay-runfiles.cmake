# Lays each shipped file of SOURCE into the run folder TARGET only when it is absent there, so that a
# complex's own layouts and pictures survive every build, while a file shipped later still reaches an
# existing run folder. Usage: cmake -DSOURCE=runfiles -DTARGET=build/run -P lay-runfiles.cmake
file(GLOB_RECURSE shipped RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(name IN LISTS shipped)
  if(NOT EXISTS "${TARGET}/${name}")
    get_filename_component(folder "${TARGET}/${name}" DIRECTORY)
    file(COPY "${SOURCE}/${name}" DESTINATION "${folder}")
  endif()
endforeach()
