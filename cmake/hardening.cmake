# Debian's hardening flags for a Linux build that is not instrumented
# (sanitizers, fuzzing): fortified functions, the stack protector, format
# checks, a read-only relocation table bound at start (relro, bindnow).
# Taken from dpkg-buildflags where it is, so the program and the package are
# built as Debian builds its own; its optimisation and debug flags are left
# to the build type.
set(hardening_cxx -fstack-protector-strong -Wformat -Werror=format-security)
set(hardening_cpp -D_FORTIFY_SOURCE=2)
set(hardening_ld -Wl,-z,relro -Wl,-z,now)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
  foreach(kind CXXFLAGS CPPFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${DPKG_BUILDFLAGS} --get ${kind}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      continue()
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-O|^-g|^-ffile-prefix-map|^-fdebug-prefix-map|^-Wdate-time")
    if(kind STREQUAL "CXXFLAGS")
      set(hardening_cxx ${flags})
    elseif(kind STREQUAL "CPPFLAGS")
      set(hardening_cpp ${flags})
    else()
      set(hardening_ld ${flags})
    endif()
  endforeach()
endif()
add_compile_options(${hardening_cxx} ${hardening_cpp})
add_link_options(${hardening_ld})
message(STATUS "Hardening: ${hardening_cxx} ${hardening_cpp} ${hardening_ld}")
