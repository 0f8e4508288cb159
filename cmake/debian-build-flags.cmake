# The program as Debian builds its own packages: with the flags dpkg-buildflags
# gives, every hardening feature on (bind-now too, which is off by default).
# With the build type None no other optimisation flags are added to these.
find_program(TAVRO_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)

function(tavro_dpkg_buildflags variable kind)
  # Run from the source folder, so that -ffile-prefix-map maps it to "." and
  # the program holds no path of the machine that built it.
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${TAVRO_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
  endif()
  set(${variable} "${flags}" PARENT_SCOPE)
endfunction()

tavro_dpkg_buildflags(cppflags CPPFLAGS)
tavro_dpkg_buildflags(cflags CFLAGS)
tavro_dpkg_buildflags(cxxflags CXXFLAGS)
tavro_dpkg_buildflags(ldflags LDFLAGS)
string(APPEND CMAKE_C_FLAGS " ${cppflags} ${cflags}")
string(APPEND CMAKE_CXX_FLAGS " ${cppflags} ${cxxflags}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${ldflags}")
message(STATUS "Debian build flags: ${cppflags} ${cxxflags} ${ldflags}")
