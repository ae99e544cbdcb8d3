# Writes the COMMANDS section of morvane-levels' manual page as a help2man include file: one
# subsection per command, holding exactly what "morvane-levels COMMAND --help" prints. The
# commands are those the program's own --help lists, so that a new command reaches the page
# without an edit here; the build fails when the package description does not name one.
#   cmake -DPROGRAM=morvane-levels -DDESCRIPTION=file -DOUTPUT=file.h2m -P command_pages.cmake

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
# The listing under "commands:": a command's line starts with two spaces and its name; a
# summary moved to a line of its own is indented further.
string(REGEX MATCH "\ncommands:\n[^\n]+\n([ ][^\n]*\n)*" listing "${help}")
string(REGEX MATCHALL "\n  [a-z]+ " entries "${listing}")
if(NOT entries)
    message(FATAL_ERROR "${PROGRAM} --help lists no commands under \"commands:\"")
endif()
file(READ ${DESCRIPTION} description)

# Text as roff: a backslash printed as one, '-' as a minus sign so that options can be
# searched for and copied, and a line that would start with a control character kept as text.
function(to_roff text result)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${result} "${text}" PARENT_SCOPE)
endfunction()

set(page "[COMMANDS]\n")
foreach(entry IN LISTS entries)
    string(STRIP "${entry}" command)
    if(NOT " ${description} " MATCHES "[^a-z]${command}[^a-z]")
        message(FATAL_ERROR "The package description does not name the command ${command}")
    endif()
    execute_process(COMMAND ${PROGRAM} ${command} --help OUTPUT_VARIABLE text
                    COMMAND_ERROR_IS_FATAL ANY)
    # The usage lines, up to the first blank line, keep their line breaks; the prose after
    # them is filled to the reader's width.
    string(FIND "${text}" "\n\n" end)
    set(prose "")
    if(end EQUAL -1)
        set(usage "${text}")
    else()
        string(SUBSTRING "${text}" 0 ${end} usage)
        math(EXPR end "${end} + 2")
        string(SUBSTRING "${text}" ${end} -1 prose)
    endif()
    string(STRIP "${usage}" usage)
    string(REGEX REPLACE "(^|\n)(usage:)? +" "\\1" usage "${usage}")
    string(STRIP "${prose}" prose)
    to_roff("${usage}" usage)
    to_roff("${prose}" prose)
    string(REPLACE "\n\n" "\n.PP\n" prose "${prose}")
    string(APPEND page ".SS ${command}\n.nf\n${usage}\n.fi\n.PP\n${prose}\n")
endforeach()
file(WRITE ${OUTPUT} "${page}")
