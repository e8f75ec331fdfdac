# What `cmake --install` puts under the prefix besides the program, and the release packages.
#
# The Debian package is this installation, made by CPack's DEB generator under /usr: the `release`
# package preset writes it to build/release/. The `release` build preset then runs
# scripts/release (target repbin_release), which adds the Windows and web zips and SHA256SUMS.
# `cmake --workflow --preset release` does all of it after building and testing.

# The manual page carries the project's version. It and the changelog are installed gzipped, as
# Debian wants them (-n: no name or time stamp inside, so the same text gives the same bytes).
configure_file(${PROJECT_SOURCE_DIR}/doc/repbin.1 ${PROJECT_BINARY_DIR}/repbin.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/doc/changelog ${PROJECT_BINARY_DIR}/changelog COPYONLY)
find_program(REPBIN_GZIP gzip)
function(repbin_install_gzipped file destination)  # FILE in the build folder
  if(NOT REPBIN_GZIP)
    install(FILES ${PROJECT_BINARY_DIR}/${file} DESTINATION ${destination})
    return()
  endif()
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/${file}.gz
    COMMAND ${REPBIN_GZIP} -9nkf ${PROJECT_BINARY_DIR}/${file}
    DEPENDS ${PROJECT_BINARY_DIR}/${file}
    VERBATIM)
  add_custom_target(repbin_gzip_${file} ALL DEPENDS ${PROJECT_BINARY_DIR}/${file}.gz)
  install(FILES ${PROJECT_BINARY_DIR}/${file}.gz DESTINATION ${destination})
endfunction()
repbin_install_gzipped(repbin.1 ${CMAKE_INSTALL_MANDIR}/man1)
repbin_install_gzipped(changelog ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/doc/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
# A stripped installation (the package's) also loses the compiler's notes, as with Debian's
# dh_strip.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:repbin>\")
  endif()")

# Packages are made from the native Linux build only.
if(CMAKE_CROSSCOMPILING OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

set(REPBIN_MAINTAINER "repbin maintainers <maintainers@users.noreply.c-seed-6c8cfb30.example>"
  CACHE STRING "Maintainer field of the Debian package: name <address>")
set(REPBIN_HOMEPAGE "https://c-seed-6c8cfb30.example/repbin"
  CACHE STRING "Homepage field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME repbin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${REPBIN_MAINTAINER})
set(CPACK_PACKAGE_HOMEPAGE_URL ${REPBIN_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "enseña cómo se representan los números en binario")
set(CPACK_PACKAGE_DESCRIPTION [=[
repbin es un programa de consola, en español, para aprender cómo se
representan los números en binario: enteros en binario natural,
signo-magnitud, complemento a uno, complemento a dos y exceso Z, y números
reales en coma flotante (IEEE 754 o un formato descrito campo a campo).
Junto a cada resultado muestra cómo se obtiene: las divisiones entre dos,
las multiplicaciones por dos de la parte fraccionaria, la normalización y
la codificación del exponente.

Se usa con un diálogo de menús numerados, con una orden por conversión
(repbin representar c2 -5 -b 8) o para preparar hojas de ejercicios con sus
soluciones, también como banco de preguntas GIFT para Moodle.]=])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # repbin_VERSION_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from what the program really links: nothing for the static build, the C and C++
# runtimes for a build with REPBIN_STATIC off.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# When the program is linked statically, which is on purpose (REPBIN_STATIC), lintian is told so
# by an override that only the package holds: a component of its own, which CPack installs into
# the one package beside the rest and `cmake --install` leaves out.
get_target_property(repbin_link_options repbin LINK_OPTIONS)
if("-static" IN_LIST repbin_link_options)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/lintian-overrides DESTINATION share/lintian/overrides
    RENAME repbin COMPONENT debian EXCLUDE_FROM_ALL)
  set(CPACK_COMPONENTS_ALL Unspecified debian)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
endif()

include(CPack)

# The Windows and web zips beside the Debian package, and the checksums of all of them.
add_custom_target(repbin_release
  COMMAND sh ${PROJECT_SOURCE_DIR}/scripts/release ${PROJECT_VERSION}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  USES_TERMINAL
  VERBATIM)
