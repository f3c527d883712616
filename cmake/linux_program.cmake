# The Linux side: the Qt 6 shell library (every *_qt.cpp but the entry
# point), the program `tintra`, its icons, desktop entry and package, and the
# Linux test programs. Programs land in ${CMAKE_BINARY_DIR}/bin.
# DBus: the eyedropper asks the desktop portal on a Wayland session.
find_package(Qt6 REQUIRED COMPONENTS Widgets DBus)
find_library(TINTRA_XCB_LIBRARY xcb REQUIRED)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

file(GLOB TINTRA_QT_SOURCES CONFIGURE_DEPENDS
     picker/*_qt.cpp colortext/*_qt.cpp standalone/*_qt.cpp)
list(FILTER TINTRA_QT_SOURCES EXCLUDE REGEX "_main_qt\\.cpp$")
add_library(tintra_qt STATIC ${TINTRA_QT_SOURCES})
tintra_target(tintra_qt)
target_link_libraries(tintra_qt PUBLIC tintra_core Qt6::Widgets Qt6::DBus ${TINTRA_XCB_LIBRARY})
# The portal client's reply receiver is a QObject slot.
set_target_properties(tintra_qt PROPERTIES AUTOMOC ON)

add_executable(tintra standalone/standalone_main_qt.cpp)
tintra_target(tintra)
target_link_libraries(tintra PRIVATE tintra_frontend tintra_qt)

# The icon at the hicolor sizes, drawn from the SVG at build time.
find_program(TINTRA_RSVG_CONVERT rsvg-convert REQUIRED)
set(TINTRA_ICON_SIZES 16 22 24 32 48 64 128 256)
set(icon_files)
foreach(size IN LISTS TINTRA_ICON_SIZES)
  # Below 32 pixels the icon's own small drawing, as in the Windows icon.
  set(svg ${PROJECT_SOURCE_DIR}/resources/tintra.svg)
  if(size LESS 32)
    set(svg ${PROJECT_SOURCE_DIR}/resources/tintra-small.svg)
  endif()
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/tintra.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${TINTRA_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg}
    DEPENDS ${svg}
    VERBATIM)
  list(APPEND icon_files ${png})
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(tintra_icons ALL DEPENDS ${icon_files})

include(GNUInstallDirs)
install(TARGETS tintra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/tintra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/tintra.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The .deb (cpack -G DEB): its library dependencies found by dpkg-shlibdeps,
# the tools the result-keeping and the desktop need beside them none.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tintra)
set(CPACK_PACKAGE_VENDOR "Tintra")
set(CPACK_PACKAGE_CONTACT "Tintra maintainers <maintainers@tintra.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Colour picker for programmers: edits a colour text from the clipboard")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
