# Installs the program's own files into share/ovrel: whatever the build put
# beside the executable for the program to read (the copied resources, the
# generated pictures), found at install time rather than listed, so that a
# new one needs no rule here. Left out: the build system's files, programs
# and libraries, and what a run of the program writes there. The resources
# come from the sources, because the build folder's prefs.ini is also the
# developer's own.
# Set before: OVREL_BUILD_DIR, OVREL_RESOURCES_DIR.

file(GLOB shipped LIST_DIRECTORIES false "${OVREL_RESOURCES_DIR}/*")
set(names)
foreach(file IN LISTS shipped)
  get_filename_component(name "${file}" NAME)
  list(APPEND names "${name}")
endforeach()

file(GLOB built LIST_DIRECTORIES false "${OVREL_BUILD_DIR}/*")
foreach(file IN LISTS built)
  get_filename_component(name "${file}" NAME)
  list(FIND names "${name}" resource)
  if(resource GREATER -1
     OR name MATCHES "^\\."
     OR name MATCHES "^(CMakeCache\\.txt|install_manifest.*|Makefile|debug\\.log|output\\.txt|breakpoints\\.txt)$"
     OR name MATCHES "\\.(a|so|ninja|cmake|json|tcl|deb)$|\\.so\\.")
    continue()
  endif()
  # Programs: ELF, scripts, Windows executables.
  file(READ "${file}" head LIMIT 4 HEX)
  if(head STREQUAL "7f454c46" OR head MATCHES "^2321" OR head MATCHES "^4d5a")
    continue()
  endif()
  list(APPEND shipped "${file}")
endforeach()

file(INSTALL ${shipped} DESTINATION "${CMAKE_INSTALL_PREFIX}/share/ovrel")
