# The hardening flags a Debian build uses (stack protector, fortified libc
# calls, format checks, read-only relocations, immediate binding), taken
# from dpkg-buildflags so that the package made from this build carries the
# same protections as one built by Debian's own tools. Only the hardening
# part is taken: optimisation and debug information stay with the build type,
# and the source path is not rewritten.
#
# Only for the optimised build types (fortified calls need optimisation; the
# Debug and sanitizer builds bring their own checks), and only where
# dpkg-buildflags is installed.
option(ORVANE_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)
find_program(ORVANE_DPKG_BUILDFLAGS dpkg-buildflags)

if(ORVANE_HARDENING AND ORVANE_DPKG_BUILDFLAGS
   AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  function(orvane_buildflags kind out)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all"
              ${ORVANE_DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE rc ERROR_QUIET)
    if(NOT rc EQUAL 0)
      set(flags "")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-g|^-O|prefix-map=")
    set(${out} ${flags} PARENT_SCOPE)
  endfunction()

  orvane_buildflags(CPPFLAGS hardening_cpp)
  orvane_buildflags(CFLAGS hardening_c)
  orvane_buildflags(CXXFLAGS hardening_cxx)
  orvane_buildflags(LDFLAGS hardening_ld)
  add_compile_options(${hardening_cpp}
                      "$<$<COMPILE_LANGUAGE:C>:${hardening_c}>"
                      "$<$<COMPILE_LANGUAGE:CXX>:${hardening_cxx}>")
  add_link_options(${hardening_ld})
  message(STATUS "Hardening flags: ${hardening_cpp} ${hardening_cxx} ${hardening_ld}")
endif()
