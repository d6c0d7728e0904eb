# SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
# SPDX-License-Identifier: GPL-2.0-or-later
# Formats one manual page with man's warnings on; any warning, or no page at all, fails.
# Arguments: MAN (the man program), PAGE (the roff source).
if(NOT MAN)
    message(FATAL_ERROR "man is not installed (scripts/deps installs man-db)")
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 MANWIDTH=80 --unset=MAN_KEEP_FORMATTING
        ${MAN} --warnings -l ${PAGE}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE page
    ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "man --warnings -l ${PAGE} (status ${status}):\n${warnings}")
endif()
foreach(section NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES)
    string(FIND "${page}" "\n${section}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${PAGE} has no section ${section}")
    endif()
endforeach()
