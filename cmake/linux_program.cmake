# The Linux side: the Qt 6 shell library (the files named below), the
# program `tintra`, its icons, desktop entry and package, and the Linux test
# programs. Programs land in ${CMAKE_BINARY_DIR}/bin.
# DBus: the eyedropper asks the desktop portal on a Wayland session.
find_package(Qt6 REQUIRED COMPONENTS Widgets DBus)
find_library(TINTRA_XCB_LIBRARY xcb REQUIRED)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The Qt shell, named one by one (the entry points are the program's and
# the module's own): each file beside the core or the interface it implements.
set(TINTRA_QT_SOURCES
    picker/color_picker_qt.cpp
    picker/dialog_widgets_qt.cpp
    picker/color_portal_qt.cpp
    picker/eyedropper_qt.cpp
    picker/widgets_qt.cpp
    colortext/format_chooser_qt.cpp
    standalone/clipboard_qt.cpp)
add_library(tintra_qt STATIC ${TINTRA_QT_SOURCES})
tintra_target(tintra_qt)
target_link_libraries(tintra_qt PUBLIC tintra_core Qt6::Widgets Qt6::DBus ${TINTRA_XCB_LIBRARY})
# The portal client's reply receiver is a QObject slot.
set_target_properties(tintra_qt PROPERTIES AUTOMOC ON)

include(GNUInstallDirs)
# The toolkit's part of tintra, a module the program loads only when it
# shows a window or uses the clipboard (standalone/toolkit_module.h): a
# filter run without a dialog loads no Qt library. Beside the program in the
# build tree, in a private folder of the library directory once installed.
set_target_properties(tintra_core PROPERTIES POSITION_INDEPENDENT_CODE ON)
add_library(tintra_toolkit MODULE standalone/toolkit_module_main_qt.cpp)
tintra_target(tintra_toolkit)
target_link_libraries(tintra_toolkit PRIVATE tintra_qt)
# A symbol missing from the module fails the build, not the first dialog.
target_link_options(tintra_toolkit PRIVATE -Wl,--no-undefined)
set_target_properties(tintra_toolkit PROPERTIES PREFIX "" OUTPUT_NAME tintra-toolkit
                      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(TINTRA_TOOLKIT_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/tintra)
file(RELATIVE_PATH tintra_toolkit_from_bin /${CMAKE_INSTALL_BINDIR} /${TINTRA_TOOLKIT_INSTALL_DIR})

add_executable(tintra standalone/standalone_main_qt.cpp)
tintra_target(tintra)
target_link_libraries(tintra PRIVATE tintra_frontend ${TINTRA_XCB_LIBRARY} ${CMAKE_DL_LIBS})
target_compile_definitions(tintra PRIVATE TINTRA_TOOLKIT_DIR="${tintra_toolkit_from_bin}")
add_dependencies(tintra tintra_toolkit)

# The manual page, with the project's version, compressed as Debian has it.
find_program(TINTRA_GZIP gzip REQUIRED)
configure_file(resources/tintra.1 ${CMAKE_BINARY_DIR}/man/tintra.1 @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/man/tintra.1.gz
  COMMAND ${TINTRA_GZIP} -9 -n -f -k ${CMAKE_BINARY_DIR}/man/tintra.1
  DEPENDS ${CMAKE_BINARY_DIR}/man/tintra.1
  VERBATIM)
add_custom_target(tintra_man ALL DEPENDS ${CMAKE_BINARY_DIR}/man/tintra.1.gz)
# Built with the program, so that installing it finds the page.
add_dependencies(tintra tintra_man)

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

install(TARGETS tintra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tintra_toolkit LIBRARY DESTINATION ${TINTRA_TOOLKIT_INSTALL_DIR})
install(FILES ${CMAKE_BINARY_DIR}/man/tintra.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
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
