# SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the build tree twice, into a prefix given at install time and by DESTDIR with the
# prefix /usr, and checks each tree: exactly the expected files, programs that run, and a bus
# activation file that names the daemon where it was installed (without DESTDIR).
# Arguments: BUILD_DIR, WORK_DIR, VERSION (the project's, which both programs start their
# version with), APPSTREAMCLI (optional: validates the /usr tree),
# DESKTOP_FILE_VALIDATE (optional: validates the autostart entry).
cmake_minimum_required(VERSION 3.16)

set(expected_files
    bin/kivo-admin-winprops
    bin/kivo-winpropsd
    share/applications/org.kivo.kivo_admin_winprops.desktop
    share/bash-completion/completions/kivo-admin-winprops
    share/doc/kivo-admin-winprops/changelog.Debian.gz
    share/doc/kivo-admin-winprops/copyright
    share/doc/kivo-winpropsd/changelog.Debian.gz
    share/doc/kivo-winpropsd/copyright
    share/dbus-1/services/org.kivo.kivo-winprops.service
    share/gnome-shell/extensions/kivo-winprops@kivo.org/core.js
    share/gnome-shell/extensions/kivo-winprops@kivo.org/extension.js
    share/gnome-shell/extensions/kivo-winprops@kivo.org/metadata.json
    share/kivo-admin-winprops/translations/kivo-admin-winprops_de.qm
    share/kivo-admin-winprops/translations/kivo-admin-winprops_ru.qm
    share/man/man1/kivo-admin-winprops.1.gz
    share/man/man1/kivo-winpropsd.1.gz
    share/metainfo/org.kivo.kivo_admin_winprops.metainfo.xml
    share/zsh/vendor-completions/_kivo-admin-winprops)
list(SORT expected_files)

function(fail message)
    message(FATAL_ERROR "${message}")
endfunction()

function(run_install prefix destdir)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${destdir}
            ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
        RESULT_VARIABLE status
        OUTPUT_VARIABLE output
        ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        fail("cmake --install --prefix ${prefix} (DESTDIR=${destdir}) failed:\n${output}")
    endif()
endfunction()

# check_files(root [extra file...]): the expected files and the extra ones, nothing else.
function(check_files root)
    file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${root} ${root}/*)
    list(SORT found)
    set(expected_files ${expected_files} ${ARGN})
    list(SORT expected_files)
    if(NOT found STREQUAL expected_files)
        string(REPLACE ";" "\n  " found_text "${found}")
        string(REPLACE ";" "\n  " expected_text "${expected_files}")
        fail("Installed under ${root}:\n  ${found_text}\nexpected:\n  ${expected_text}")
    endif()
endfunction()

function(check_activation_file root prefix)
    set(file ${root}/share/dbus-1/services/org.kivo.kivo-winprops.service)
    # Comments (the licence header) aside.
    file(STRINGS ${file} lines REGEX "^[^#]")
    set(expected "[D-BUS Service]" "Name=org.kivo.kivo-winprops"
        "Exec=${prefix}/bin/kivo-winpropsd")
    if(NOT lines STREQUAL expected)
        string(REPLACE ";" "\n" text "${lines}")
        fail("${file} holds:\n${text}\nexpected Exec=${prefix}/bin/kivo-winpropsd")
    endif()
endfunction()

# The autostart entry names the daemon under the prefix.
function(check_autostart_file file prefix)
    if(NOT EXISTS ${file})
        fail("No autostart entry ${file}")
    endif()
    file(STRINGS ${file} lines REGEX "^(Try)?Exec=")
    set(expected "Exec=${prefix}/bin/kivo-winpropsd" "TryExec=${prefix}/bin/kivo-winpropsd")
    if(NOT lines STREQUAL expected)
        fail("${file} holds ${lines}, expected ${expected}")
    endif()
    if(DESKTOP_FILE_VALIDATE)
        execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${file}
            RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
        if(NOT status EQUAL 0 OR output MATCHES "error|warning")
            fail("desktop-file-validate ${file}:\n${output}")
        endif()
    endif()
endfunction()

# Both programs start from the install tree and tell their version.
function(check_programs root)
    set(runtime ${WORK_DIR}/runtime)
    file(MAKE_DIRECTORY ${runtime})
    execute_process(COMMAND chmod 700 ${runtime})
    foreach(program kivo-admin-winprops kivo-winpropsd)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${runtime}
                LC_ALL=C ${root}/bin/${program} --version
            RESULT_VARIABLE status
            OUTPUT_VARIABLE output
            ERROR_VARIABLE errors)
        string(FIND "${output}" "${program} ${VERSION}" at)
        if(NOT status EQUAL 0 OR NOT at EQUAL 0)
            fail("${root}/bin/${program} --version: status ${status}\n${output}${errors}")
        endif()
    endforeach()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})

set(prefix ${WORK_DIR}/prefix)
run_install(${prefix} "")
set(autostart etc/xdg/autostart/org.kivo.kivo-winpropsd.desktop)
check_files(${prefix} ${autostart})
check_autostart_file(${prefix}/${autostart} ${prefix})
check_activation_file(${prefix} ${prefix})
check_programs(${prefix})

set(stage ${WORK_DIR}/stage)
run_install(/usr ${stage})
check_files(${stage}/usr)
check_activation_file(${stage}/usr /usr)
check_autostart_file(${stage}/${autostart} /usr)
if(APPSTREAMCLI)
    execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${stage}
        RESULT_VARIABLE status
        OUTPUT_VARIABLE output
        ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        fail("appstreamcli validate-tree ${stage}:\n${output}")
    endif()
endif()

file(REMOVE_RECURSE ${WORK_DIR})
