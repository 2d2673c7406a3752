# Installing KVN like any Linux program, and its Debian package.
#
#   cmake --install build [--prefix /usr/local]
#   cd build && cpack          # kvn_2.2-1_amd64.deb
#
# Under the prefix: bin/kvn, bin/kvncc, bin/kvnrun, libexec/kvn/pause (and
# its other names), share/man/man1 (the manual pages), share/doc/kvn (the
# copyright and changelog),
# share/kvn/include (the old-style headers), share/kvn/web (the help pages),
# share/applications/kvn.desktop, share/icons/hicolor/scalable/apps/kvn.svg
# and share/metainfo/org.korvane.kvn.metainfo.xml. KVN and kvncc find their
# files relative to their own folder, so the prefix can be anywhere.

# The desktop entry is written while installing, so that it starts the kvn of
# the prefix actually installed into (cmake --install --prefix, or /usr for
# the package). This part runs then, included by the install step below.
if(KVN_WRITING_DESKTOP_ENTRY)
    if(IS_ABSOLUTE "${KVN_BINDIR}")
        set(KVN_EXEC "${KVN_BINDIR}/kvn")
    else()
        set(KVN_EXEC "${CMAKE_INSTALL_PREFIX}/${KVN_BINDIR}/kvn")
    endif()
    # An Exec argument with a character the shell would read is quoted, and
    # '"', '`', '$' and '\' in it escaped; then the entry's own escapes.
    if(KVN_EXEC MATCHES "[] \t\"'\\\\><~|&;$*?#()`[]")
        string(REPLACE "\\" "\\\\" KVN_EXEC "${KVN_EXEC}")
        string(REPLACE "\"" "\\\"" KVN_EXEC "${KVN_EXEC}")
        string(REPLACE "`" "\\`" KVN_EXEC "${KVN_EXEC}")
        string(REPLACE "$" "\\$" KVN_EXEC "${KVN_EXEC}")
        set(KVN_EXEC "\"${KVN_EXEC}\"")
    endif()
    string(REPLACE "\\" "\\\\" KVN_EXEC "${KVN_EXEC}")
    string(REPLACE "%" "%%" KVN_EXEC "${KVN_EXEC}")
    set(KVN_ICON kvn)
    if(IS_ABSOLUTE "${KVN_DATADIR}")
        set(entry "$ENV{DESTDIR}${KVN_DATADIR}/applications/kvn.desktop")
    else()
        set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${KVN_DATADIR}/applications/kvn.desktop")
    endif()
    message(STATUS "Installing: ${entry}")
    configure_file("${KVN_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
    return()
endif()

include(GNUInstallDirs)

install(DIRECTORY desktop/data/web/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kvn/web)
install(FILES desktop/data/kvn.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/kvn/web)
install(FILES desktop/data/kvn.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES desktop/data/org.korvane.kvn.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(CODE "
    set(KVN_WRITING_DESKTOP_ENTRY ON)
    set(KVN_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(KVN_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
    set(KVN_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/desktop/data/kvn.desktop.in\")
    include(\"${CMAKE_CURRENT_LIST_FILE}\")
")

# The manual pages, and the package's copyright and changelog, compressed
# the way Debian keeps them (gzip -9n: no name or time stamp in the file).
# The build folder holds them where an installation does.
set(kvn_manual_pages kvn kvncc kvnrun)
set(kvn_compressed_docs)
function(kvn_compress source target)
    add_custom_command(OUTPUT ${target}
        COMMAND sh -c "mkdir -p \"$(dirname \"$2\")\" && gzip -9n -c \"$1\" >\"$2\"" kvn-gzip ${source} ${target}
        DEPENDS ${source}
        VERBATIM)
    set(kvn_compressed_docs ${kvn_compressed_docs} ${target} PARENT_SCOPE)
endfunction()
foreach(page IN LISTS kvn_manual_pages)
    kvn_compress(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${PROJECT_BINARY_DIR}/share/man/man1/${page}.1.gz)
    install(FILES ${PROJECT_BINARY_DIR}/share/man/man1/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
kvn_compress(${PROJECT_SOURCE_DIR}/desktop/package/changelog ${PROJECT_BINARY_DIR}/share/doc/kvn/changelog.Debian.gz)
add_custom_target(kvn_docs ALL DEPENDS ${kvn_compressed_docs})
install(FILES ${PROJECT_BINARY_DIR}/share/doc/kvn/changelog.Debian.gz desktop/package/copyright
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES desktop/package/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kvn)

# The Debian package. The libraries are those kvn links and the SVG plugin
# that draws its icon; g++ is the compiler kvncc drives; a terminal window
# shows the programs KVN builds.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The KVN developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor that writes, compiles and runs C and C++ programs")
set(CPACK_PACKAGE_CONTACT "The KVN developers <kvn@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# The changelog's latest entry names the version the package is built as.
file(STRINGS desktop/package/changelog kvn_changelog_head LIMIT_COUNT 1)
if(NOT kvn_changelog_head MATCHES "^kvn \\(${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}\\) ")
    message(FATAL_ERROR "desktop/package/changelog begins with \"${kvn_changelog_head}\", "
        "not with an entry for ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary first and indents these lines itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Korvane (KVN) is a small desktop editor for C and C++ source files that
drives a command-line compiler: write a program, tick compiler switches in a
list, compile with one key, read the compiler's output and run the program
in a terminal window.

It comes with kvncc, a compiler front end that takes the classic Borland
C++ 5.5 command line and hands the work to GCC, with the old-style headers
(iostream.h, conio.h, ...), and with its help pages.")
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.36), libstdc++6 (>= 12), libgcc-s1, libqt6core6 (>= 6.4.2), libqt6gui6 (>= 6.4.2), libqt6widgets6 (>= 6.4.2), libqt6printsupport6 (>= 6.4.2), libqt6svg6 (>= 6.4.2), libqscintilla2-qt6-15, g++, xterm | x-terminal-emulator")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "lld, xdg-utils, fonts-liberation, hicolor-icon-theme, qt6-wayland")
include(CPack)
