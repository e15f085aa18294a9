# Build rules shared by the deliverables.

include(HostResources)

set(ZP_WARNINGS -Wall -Wextra -Wno-unused-parameter)

# A program without a window: GUI subsystem and no DLL beyond the system's
# own on Windows; an ordinary executable on the host.
function(zp_add_windowless_program name)
  add_executable(${name} ${ARGN})
  target_compile_options(${name} PRIVATE ${ZP_WARNINGS})
  target_link_libraries(${name} PRIVATE platform)
  if(WIN32)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
    target_link_options(${name} PRIVATE -static -mwindows)
  endif()
endfunction()
