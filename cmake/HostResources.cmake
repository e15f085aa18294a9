# Resources on the host: the .rc script compiled by our own resource
# compiler (platform/host/rc/hostrc.py) into tables linked into the target.
include_guard(GLOBAL)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

get_filename_component(ZP_HOST_PLATFORM_DIR ${CMAKE_CURRENT_LIST_DIR}/../platform ABSOLUTE)
set(ZP_HOSTRC ${ZP_HOST_PLATFORM_DIR}/host/rc/hostrc.py)
set(ZP_HOSTRC_DEFINES
  ${ZP_HOST_PLATFORM_DIR}/host/host_user.h
  ${ZP_HOST_PLATFORM_DIR}/host/host_comctl.h)

# Adds the resources of rcfile to target.  Files the script names (icons,
# headers) are looked for beside it, in the current binary directory and in
# the target's include directories.
function(zp_add_host_resources target rcfile)
  get_filename_component(rc ${rcfile} ABSOLUTE)
  get_filename_component(rcdir ${rc} DIRECTORY)
  get_filename_component(name ${rc} NAME_WE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${name}_resources.cpp)
  set(includes "$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>")
  add_custom_command(OUTPUT ${out}
    COMMAND Python3::Interpreter ${ZP_HOSTRC}
            --cpp "${CMAKE_CXX_COMPILER} -E -x c"
            --defines ${ZP_HOSTRC_DEFINES}
            -I ${rcdir} -I ${CMAKE_CURRENT_BINARY_DIR}
            "$<$<BOOL:${includes}>:-I$<JOIN:${includes},;-I>>"
            --depfile ${out}.d
            ${rc} ${out}
    DEPENDS ${rc} ${ZP_HOSTRC} ${ZP_HOSTRC_DEFINES}
    DEPFILE ${out}.d
    COMMENT "Compiling the resources of ${name}.rc"
    COMMAND_EXPAND_LISTS
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${ZP_HOST_PLATFORM_DIR})
  # The program's own tables are found through its dynamic symbols.
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
  endif()
endfunction()
