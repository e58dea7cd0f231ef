# What `cmake --install` puts where, and the .deb that CPack makes of it. The programs' own
# install() lines sit beside their targets; this file adds what a desktop expects around them:
# menu entries, icons, the .ird file type, manual pages, bash completion and the user guide.
# Every generated file is made by the normal build, so the install copies and never builds.

find_program(KD_HELP2MAN help2man REQUIRED)
find_program(KD_CMARK cmark REQUIRED)
find_program(KD_GZIP gzip REQUIRED)

set(KD_MAINTAINER "Korvid & Dranfel developers <developers@korvid.example>")
set(KD_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/korvid)
set(KD_GENERATED ${CMAKE_BINARY_DIR}/install-files)
file(MAKE_DIRECTORY ${KD_GENERATED}/man ${KD_GENERATED}/completions ${KD_GENERATED}/icons)

# Manual pages from each program's help, so they say what the program says. The CLIs' --help-all
# holds every command's options.
function(kd_manual_page program help_option name)
    set(page ${KD_GENERATED}/man/${program}.1)
    add_custom_command(
        OUTPUT ${page}.gz
        COMMAND ${KD_HELP2MAN} --no-info --no-discard-stderr --help-option=${help_option}
                --version-string=${PROJECT_VERSION} --name=${name} --section=1
                --output=${page} $<TARGET_FILE:${program}>
        COMMAND ${KD_GZIP} -9nf ${page}
        DEPENDS ${program}
        COMMENT "Writing the manual page of ${program}"
        VERBATIM)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    list(APPEND KD_INSTALL_OUTPUTS ${page}.gz)
    set(KD_INSTALL_OUTPUTS ${KD_INSTALL_OUTPUTS} PARENT_SCOPE)
endfunction()

# Bash completion from the commands the program registers, written by the program itself.
function(kd_completion program)
    set(script ${KD_GENERATED}/completions/${program})
    add_custom_command(
        OUTPUT ${script}
        COMMAND sh -c "\"$0\" --completion bash >\"$1\"" $<TARGET_FILE:${program}> ${script}
        DEPENDS ${program}
        COMMENT "Writing the bash completion of ${program}"
        VERBATIM)
    # Where bash-completion looks for the script of a command it meets for the first time.
    install(FILES ${script} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
    list(APPEND KD_INSTALL_OUTPUTS ${script})
    set(KD_INSTALL_OUTPUTS ${KD_INSTALL_OUTPUTS} PARENT_SCOPE)
endfunction()

set(KD_INSTALL_OUTPUTS)
kd_manual_page(korvid-cli --help-all "the receiver's channel database tool, from a terminal")
kd_manual_page(dranfel-cli --help-all "the receiver's recording manager, from a terminal")
kd_manual_page(receiver-sim --help "a simulated satellite receiver on a pseudo-terminal or serial port")
kd_completion(korvid-cli)
kd_completion(dranfel-cli)

# The user guide as one HTML page, with the screenshots it shows.
set(KD_GUIDE_HTML ${KD_GENERATED}/guide.html)
add_custom_command(
    OUTPUT ${KD_GUIDE_HTML}
    COMMAND ${CMAKE_COMMAND} -DCMARK=${KD_CMARK} -DINPUT=${CMAKE_SOURCE_DIR}/docs/guide.md
            -DOUTPUT=${KD_GUIDE_HTML} "-DTITLE=Korvid and Dranfel: user guide"
            -P ${CMAKE_SOURCE_DIR}/packaging/make_guide.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/guide.md ${CMAKE_SOURCE_DIR}/packaging/make_guide.cmake
    COMMENT "Writing the user guide"
    VERBATIM)
list(APPEND KD_INSTALL_OUTPUTS ${KD_GUIDE_HTML})
install(FILES ${KD_GUIDE_HTML} DESTINATION ${KD_DOCDIR})
# Korvid's tests open the guide the build wrote, in every build, the sanitizer builds included.
add_custom_target(korvid_guide DEPENDS ${KD_GUIDE_HTML})
if(TARGET korvid_app_tests)
    add_dependencies(korvid_app_tests korvid_guide)
endif()
file(STRINGS ${CMAKE_SOURCE_DIR}/docs/guide.md KD_GUIDE_IMAGE_LINES REGEX "\\(screenshots/[^)]+\\.png\\)")
set(KD_GUIDE_IMAGES)
foreach(line IN LISTS KD_GUIDE_IMAGE_LINES)
    string(REGEX MATCHALL "screenshots/[^)]+\\.png" found "${line}")
    list(APPEND KD_GUIDE_IMAGES ${found})
endforeach()
list(REMOVE_DUPLICATES KD_GUIDE_IMAGES)
foreach(image IN LISTS KD_GUIDE_IMAGES)
    install(FILES ${CMAKE_SOURCE_DIR}/docs/${image} DESTINATION ${KD_DOCDIR}/screenshots)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/guide.md)

# What Debian wants beside every package's files.
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${KD_GENERATED}/changelog @ONLY)
add_custom_command(
    OUTPUT ${KD_GENERATED}/changelog.gz
    COMMAND ${KD_GZIP} -9nkf ${KD_GENERATED}/changelog
    DEPENDS ${KD_GENERATED}/changelog
    VERBATIM)
list(APPEND KD_INSTALL_OUTPUTS ${KD_GENERATED}/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${KD_GENERATED}/changelog.gz DESTINATION ${KD_DOCDIR})

# Korvid finds the guide from where it runs: the installed copy relative to the program, else the
# build folder's or the source tree's when it runs where it was built.
# A generated header rather than definitions, which would part the target from its shared
# precompiled header.
if(TARGET korvid_app_ui)
    file(RELATIVE_PATH KD_GUIDE_FROM_PROGRAM /${CMAKE_INSTALL_BINDIR} /${KD_DOCDIR}/guide.html)
    file(CONFIGURE OUTPUT ${KD_GENERATED}/include/korvid_guide_places.h CONTENT "#pragma once
// Made by the configure from cmake/install.cmake.
#define KD_GUIDE_FROM_PROGRAM \"${KD_GUIDE_FROM_PROGRAM}\"
#define KD_BUILD_GUIDE \"${KD_GUIDE_HTML}\"
#define KD_SOURCE_GUIDE \"${CMAKE_SOURCE_DIR}/docs/guide.md\"
")
    target_include_directories(korvid_app_ui PRIVATE ${KD_GENERATED}/include)
endif()

# The desktop side of the two windows: menu entries, the icons at the usual sizes (drawn by us as
# SVG, rendered to PNG at build time), and the .ird file type that sends a double-click to Korvid.
if(KD_BUILD_GUI)
    find_program(KD_RSVG_CONVERT rsvg-convert REQUIRED)
    foreach(app korvid dranfel)
        install(FILES ${CMAKE_SOURCE_DIR}/packaging/${app}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
        install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/${app}.svg
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
        foreach(size 16 22 24 32 48 64 128 256)
            set(png ${KD_GENERATED}/icons/${size}/${app}.png)
            add_custom_command(
                OUTPUT ${png}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${KD_GENERATED}/icons/${size}
                COMMAND ${KD_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
                        ${CMAKE_SOURCE_DIR}/packaging/icons/${app}.svg
                DEPENDS ${CMAKE_SOURCE_DIR}/packaging/icons/${app}.svg
                VERBATIM)
            list(APPEND KD_INSTALL_OUTPUTS ${png})
            install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
        endforeach()
    endforeach()
    # The windows have no --help to make a page of; their short pages are kept by hand.
    foreach(app korvid dranfel)
        add_custom_command(
            OUTPUT ${KD_GENERATED}/man/${app}.1.gz
            COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/man/${app}.1 ${KD_GENERATED}/man/${app}.1
            COMMAND ${KD_GZIP} -9nf ${KD_GENERATED}/man/${app}.1
            DEPENDS ${CMAKE_SOURCE_DIR}/packaging/man/${app}.1
            VERBATIM)
        list(APPEND KD_INSTALL_OUTPUTS ${KD_GENERATED}/man/${app}.1.gz)
        install(FILES ${KD_GENERATED}/man/${app}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/korvid-ird.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
    # A plain `cmake --install` updates the MIME database of its prefix so the type works at once;
    # a package (DESTDIR set) leaves that to the system's own trigger.
    install(CODE [[
        find_program(KD_UPDATE_MIME update-mime-database)
        if(KD_UPDATE_MIME AND "$ENV{DESTDIR}" STREQUAL "")
            execute_process(COMMAND ${KD_UPDATE_MIME} "${CMAKE_INSTALL_PREFIX}/share/mime")
        endif()
    ]])
endif()

# The sanitizer builds are for the tests: they configure what the programs are compiled with (the
# guide's places above) and leave the installed files, and their check, to the other builds.
if(NOT KD_SANITIZER_BUILD)
    add_custom_target(install_files ALL DEPENDS ${KD_INSTALL_OUTPUTS})

    # The installed tree, checked file by file: desktop entries, file type, manual pages, completion.
    add_test(NAME install_tree COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/install_test.sh ${CMAKE_BINARY_DIR}
                                       $<IF:$<BOOL:${KD_BUILD_GUI}>,gui,nogui>)
    set_tests_properties(install_tree PROPERTIES LABELS install TIMEOUT 300)
endif()

# The .deb: `cpack -G DEB` in the build folder (scripts/package.sh does it from a clean one).
set(CPACK_PACKAGE_NAME korvid)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvid & Dranfel developers")
set(CPACK_PACKAGE_CONTACT ${KD_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KD_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PC software for a digital satellite receiver")
# The long description; CPack indents it and puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Korvid edits the receiver's channel database (satellites, transponders, TV
and radio channels, favourite groups), opens and saves .ird files, and sends
the database or new receiver software over the serial cable; korvid-cli does
the same from a terminal.

Dranfel copies, moves and deletes the receiver's multi-part recordings and
converts them to MPEG-2 program streams; dranfel-cli does the same from a
terminal. receiver-sim plays the receiver on a pseudo-terminal.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
