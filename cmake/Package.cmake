# The Debian package: everything `cmake --install` installs, under /usr, with
# its run-time dependencies computed from the programs' shared libraries
# (dpkg-shlibdeps, from dpkg-dev). Made by `cpack --preset deb` after a
# release build, into build/package/.
set(CPACK_GENERATOR DEB)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME gyrobloom)
set(CPACK_PACKAGE_VENDOR "Gyrobloom")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sound-reactive screen saver: coloured rays that follow the music")
set(CPACK_PACKAGE_DESCRIPTION "Gyrobloom draws a fan of coloured rays that wind round the centre of the
screen; how loud the computer's sound is sets their width, speed and colour.
It runs under XScreenSaver, mate-screensaver and xfce4-screensaver
(gyrobloom-hack), and \"Gyrobloom Settings\" (gyrobloom /c) sets its look.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The control files (md5sums) as dpkg-deb itself makes them: 0644.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The maintainers as the changelog's latest entry is signed.
file(STRINGS ${PROJECT_SOURCE_DIR}/data/linux/debian/changelog signature REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE "^ -- ([^<]+ <[^>]+>)  .*" "\\1" CPACK_DEBIAN_PACKAGE_MAINTAINER "${signature}")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What it works with but does not need to install.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xfce4-screensaver, pulseaudio | pipewire-pulse")
# Qt's Wayland platform: with it the saver and the settings run natively in
# a Wayland session (without it, through XWayland where there is one).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

# The programs as a Debian build makes them (what dpkg-buildflags and
# dh_strip add), so that lintian finds nothing to note:
#  - the string and memory functions fortified (_FORTIFY_SOURCE=2, which
#    needs an optimised build) in the programs and in every library linked
#    into them;
#  - relocations resolved at start and then made read-only (-z now; -z relro
#    and position independence are the compiler's defaults here);
#  - when CPack strips them, the compiler's .comment and .note sections
#    removed too.
function(gyrobloom_harden target)
  get_property(done GLOBAL PROPERTY GYROBLOOM_HARDENED)
  if(NOT TARGET ${target} OR target IN_LIST done)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY GYROBLOOM_HARDENED ${target})
  get_target_property(imported ${target} IMPORTED)
  if(imported)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(linked ${target} INTERFACE_LINK_LIBRARIES)
  else()
    target_compile_definitions(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    get_target_property(linked ${target} LINK_LIBRARIES)
  endif()
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE LINKER:-z,now)
  endif()
  foreach(library IN LISTS linked)
    gyrobloom_harden(${library})
  endforeach()
endfunction()
set(stripped bin/gyrobloom)
gyrobloom_harden(gyrobloom)
if(TARGET gyrobloom-hack)
  gyrobloom_harden(gyrobloom-hack)
  list(APPEND stripped libexec/xscreensaver/gyrobloom-hack)
endif()
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program ${stripped})
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${program}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()
")

include(CPack)
