# Writes a manual page from a program's own --help text, so the two never
# disagree. For a program with commands (a "commands:" list in its help), each
# command's --help becomes a section of its own.
#   cmake -DPROGRAM=... -DNAME=... -DSUMMARY=... -DVERSION=... -DOUT=... -P manpage.cmake

function(roff_escape text out)
    string(REPLACE "\\" "\\e" text "${text}")
    # A line starting with a dot or quote would be read as a request.
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(help_of out)
    execute_process(COMMAND ${PROGRAM} ${ARGN} --help
        OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed (${status}): ${err}")
    endif()
    string(STRIP "${text}" text)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

help_of(help)
string(TOUPPER "${NAME}" title)
roff_escape("${SUMMARY}" summary)
roff_escape("${help}" body)
set(page ".TH ${title} 1 \"\" \"Rivulon ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${NAME} \\- ${summary}\n")
string(APPEND page ".SH DESCRIPTION\n.nf\n${body}\n.fi\n")

# Commands: the indented words of the lines after "commands:" up to a blank line.
set(commands "")
if(help MATCHES "\ncommands:\n")
    string(REGEX REPLACE ".*\ncommands:\n" "" list "${help}")
    string(REGEX REPLACE "\n\n.*" "" list "${list}")
    string(REPLACE "\n" ";" lines "${list}")
    foreach(line IN LISTS lines)
        if(line MATCHES "^  ([a-z][a-z0-9-]*) ")
            list(APPEND commands "${CMAKE_MATCH_1}")
        endif()
    endforeach()
endif()
if(commands)
    string(APPEND page ".SH COMMANDS\n")
    foreach(command IN LISTS commands)
        help_of(text ${command})
        roff_escape("${text}" text)
        string(APPEND page ".SS ${command}\n.nf\n${text}\n.fi\n")
    endforeach()
endif()
string(APPEND page ".SH SEE ALSO\nThe user guide, from the Help menu of \\fBrivulon\\fR(1).\n")
file(WRITE "${OUT}" "${page}")
