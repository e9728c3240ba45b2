# Installation as a Linux desktop application, and the Debian package.
include(GNUInstallDirs)

set(QB_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(QB_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${QB_PACKAGING_OUT})

foreach(program quillbrook quillbrook-service)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

set(QB_DATADIR ${CMAKE_INSTALL_DATAROOTDIR})
install(FILES ${QB_PACKAGING_DIR}/quillbrook.desktop DESTINATION ${QB_DATADIR}/applications)
# The same name as the package the program writes for itself when the type is
# unknown, so the two describe one type.
install(FILES ${QB_PACKAGING_DIR}/quillbrook-qbk.xml DESTINATION ${QB_DATADIR}/mime/packages)
install(FILES ${QB_PACKAGING_DIR}/icons/quillbrook.svg
        DESTINATION ${QB_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${QB_PACKAGING_DIR}/icons/quillbrook-${size}.png
            DESTINATION ${QB_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillbrook.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/data/quillbrook.ini DESTINATION ${QB_DATADIR}/quillbrook)
install(FILES ${QB_PACKAGING_DIR}/quillbrook-service.default DESTINATION ${QB_DATADIR}/quillbrook)

# Debian wants manual pages and the changelog compressed without a time stamp.
find_program(QB_GZIP gzip REQUIRED)
set(QB_GZIPPED)
foreach(item quillbrook.1 quillbrook-service.1 changelog)
    add_custom_command(OUTPUT ${QB_PACKAGING_OUT}/${item}.gz
                       COMMAND ${QB_GZIP} -9nc ${QB_PACKAGING_DIR}/${item} > ${QB_PACKAGING_OUT}/${item}.gz
                       DEPENDS ${QB_PACKAGING_DIR}/${item} VERBATIM)
    list(APPEND QB_GZIPPED ${QB_PACKAGING_OUT}/${item}.gz)
endforeach()
add_custom_target(qb_packaging_files ALL DEPENDS ${QB_GZIPPED})
install(FILES ${QB_PACKAGING_OUT}/quillbrook.1.gz ${QB_PACKAGING_OUT}/quillbrook-service.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QB_PACKAGING_DIR}/copyright ${QB_PACKAGING_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillbrook)

# The unit names the programs by their installed path, known only at install
# time (the package installs under /usr, a test under its own prefix).  The
# unit stays disabled: nothing enables it.
install(CODE "
    set(QB_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    configure_file(\"${QB_PACKAGING_DIR}/quillbrook-service.service.in\"
                   \"${QB_PACKAGING_OUT}/quillbrook-service.service\" @ONLY)")
install(FILES ${QB_PACKAGING_OUT}/quillbrook-service.service DESTINATION lib/systemd/system)

# Debian package: cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME quillbrook)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillbrook developers")
set(CPACK_PACKAGE_CONTACT "The Quillbrook developers <quillbrook@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop stock screener")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillbrook finds the stocks that match a filter over fundamental data,\n"
    "asking a stock service for a trade date.  Results can be sorted, exported\n"
    "to a workbook or CSV text, and looked up on information sites.  Saved\n"
    "filters also run without a window, from scripts and schedulers.\n"
    "\n"
    "The package includes quillbrook-service, a reference stock service with\n"
    "demo data, and a systemd unit for it that is not enabled.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/quillbrook")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
