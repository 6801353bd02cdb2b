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
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Gyrobloom developers <developers@gyrobloom.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What it works with but does not need to install.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xfce4-screensaver, pulseaudio | pipewire-pulse")
include(CPack)
