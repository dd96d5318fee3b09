# The Debian package, made from the install tree by CPack (tools/package.sh runs it):
# installed under /usr, its dependencies worked out from the libraries the program and
# its player library link, plus what they load at run time and the fonts the menus need.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zimo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "zimo developers <zimo@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for Flash Video (FLV) files")
set(CPACK_PACKAGE_DESCRIPTION
    "zimo plays Flash Video files, and MP4 and F4V files alike, in a small window\n"
    "with an on-screen control panel: pause, seek, volume, repeat, quarter turns of\n"
    "the picture, full screen and a compact window. It can make itself the\n"
    "desktop's default player of .flv files.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.com/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The menus are Simplified Chinese: without a CJK font every item is drawn as boxes.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")
# Qt's Wayland platform plugin, for a Wayland session without XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack adds maintainer scripts that run ldconfig for the player library under
# /usr/lib; they are all the package runs (lintian warns of them: the library is the
# program's own, loaded by path).
include(CPack)
