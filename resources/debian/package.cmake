# The change log, copyright and manual page of a Linux install, and the Debian package that
# `cpack --preset package` builds from the install tree. Included from the top level after every
# install rule, since CPack packs what the rules install.

if(NOT UNIX OR APPLE)
    return()
endif()

# Debian wants these compressed at the highest level and without a time stamp, so that the same
# source makes the same package.
set(SOLVIGRAM_DEBIAN_DIR "${CMAKE_CURRENT_LIST_DIR}")
set(compressed)
foreach(name IN ITEMS changelog solvigram-charts.1)
    set(copy "${CMAKE_CURRENT_BINARY_DIR}/debian/${name}")
    add_custom_command(OUTPUT "${copy}.gz"
        COMMAND ${CMAKE_COMMAND} -E copy "${SOLVIGRAM_DEBIAN_DIR}/${name}" "${copy}"
        COMMAND gzip -9nf "${copy}"
        DEPENDS "${SOLVIGRAM_DEBIAN_DIR}/${name}"
        VERBATIM)
    list(APPEND compressed "${copy}.gz")
endforeach()
add_custom_target(compressed-docs ALL DEPENDS ${compressed})

set(doc_dir "${CMAKE_INSTALL_DATADIR}/doc/solvigram-charts")
install(FILES "${SOLVIGRAM_DEBIAN_DIR}/copyright" "${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz"
    DESTINATION ${doc_dir})
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/debian/solvigram-charts.1.gz"
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME solvigram-charts)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CPACK_STRIP_FILES ON)
# Directories as 0755 and control files as 0644, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvane <packages@orvane.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# "Helvetica" resolves to Nimbus Sans from this package, so charts look alike on every machine.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-urw-base35)
# Titles in Chinese, Japanese or Korean, and emoji, need fonts that Qt falls back on.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fonts-noto-cjk, fonts-noto-color-emoji")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION [[
Solvigram Charts turns a list of solve times into a smooth distribution
chart. Paste a session from csTimer, or any list of times, and the window
draws how the times spread out, with best, worst, trimmed average, median
and quartile lines. A second list can be drawn behind the first to compare
two sessions. Charts are copied to the clipboard or saved as PNG, PDF or
SVG files, and a script can draw them from the command line without a
window.]])

include(CPack)
