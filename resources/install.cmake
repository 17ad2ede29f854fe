# cmake --install and cpack: the program's files go together into lib/quillmar, since each
# finds the others (and the map file) beside itself; bin/quillmar links to the command there.
# A marker file there tells the program it is installed, so each user's settings and saved
# files go to the per-user data folder. The fonts it draws with besides the built-in ones are
# the system's DejaVu and Liberation fonts, declared as package dependencies.
set(program_dir lib/quillmar)
set(desktop_dir ${CMAKE_SOURCE_DIR}/resources/desktop)

install(TARGETS quillmar quillmar_window RUNTIME DESTINATION ${program_dir})
install(TARGETS quillmar_http_module quillmar_store_module LIBRARY DESTINATION ${program_dir})
install(FILES ${CMAKE_BINARY_DIR}/quillmar.map ${desktop_dir}/quillmar.installed
        DESTINATION ${program_dir})

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install)
file(CREATE_LINK ../${program_dir}/quillmar ${CMAKE_BINARY_DIR}/install/quillmar SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install/quillmar DESTINATION bin)

configure_file(${desktop_dir}/${QUILLMAR_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install/${QUILLMAR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/${QUILLMAR_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${desktop_dir}/${QUILLMAR_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${desktop_dir}/${QUILLMAR_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${desktop_dir}/${QUILLMAR_APP_ID}-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${QUILLMAR_APP_ID}.png)
endforeach()

set(CPACK_PACKAGE_NAME quillmar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ferngrove Studios")
set(CPACK_PACKAGE_CONTACT "Ferngrove Studios <quillmar@fgs.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web browser that shows pages as colour-marked source")
set(CPACK_PACKAGE_DESCRIPTION "Quillmar shows a page as its colour-marked source: the page text \
line by line, and every link, image, script, style, form, meta tag and comment as a labelled, \
clickable block, with link testing, file saving, text tools, a form editor and a small script \
language.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://fgs.example/")
# Libraries (Qt 6, libcurl) come from dpkg-shlibdeps; the fonts are not linked, so they are
# named, and so are the certificates without which no HTTPS page verifies (libcurl only
# recommends them) and Qt's translations, which Qt's own dialogs need in Russian.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-dejavu-core, fonts-liberation, ca-certificates, qt6-translations-l10n")
include(CPack)
