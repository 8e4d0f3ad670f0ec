# What `cmake --install` puts where, and the packages CPack makes of it: a Debian package of the portable
# build (cpack --preset deb) and a zip of the Windows build (cpack --preset windows-zip).
set(CPACK_PACKAGE_NAME tessivar)
set(CPACK_PACKAGE_VENDOR "Ostrelle")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Java wrappers for the classes of COM type libraries")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.ostrelle.example/tessivar")
set(CPACK_PACKAGE_CONTACT "Tessivar developers <tessivar@ostrelle.example>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
# Packages are made from the build tree alone: no files of the source tree beyond the installed ones.
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME tessivar-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(DOC_DIR share/doc/tessivar)
  install(FILES README.md DESTINATION ${DOC_DIR})
  install(FILES LICENSE DESTINATION ${DOC_DIR} RENAME copyright)
  # The bundled sample, so the installed program can be tried at once (see the README).
  install(FILES sample/widget.tlb sample/widget.idl DESTINATION ${DOC_DIR}/examples)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tessivar_VERSION_ARCH.deb
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The summary above is the first line of the Description field; this is the text under it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Tessivar reads a COM type library (.tlb, .olb, .dll, .exe, .ocx) and writes\n"
      "Java sources for the Kovra bridge runtime: a proxy class per dispatch\n"
      "interface, a listener interface per event interface, a constant interface\n"
      "per enumeration, an interface per creatable coclass, and an Ant build file\n"
      "(on request a Maven one as well).")
  string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
  # Depends comes from the libraries the program links, as dpkg-shlibdeps finds them: the release build
  # carries its C++ runtime, so that is libc alone.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
