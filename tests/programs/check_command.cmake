# Runs one command line of an installed-style program and checks its exit
# status and what it printed, for the command tests in tests/CMakeLists.txt.
#   cmake -DSTATUS=n [-DSTDOUT=regex] [-DSTDERR=regex] [-DFORBID=regex]
#         -P check_command.cmake -- program arguments...
# FORBID must match neither stream. DISPLAY is unset first, so a program
# that tried to open a window would fail. -DFROM_PATH=folder puts the folder
# first in PATH and runs the command from "/", as a person who typed the
# program's bare name far from it.
set(command)
set(after_separator FALSE)
foreach(index RANGE 1 ${CMAKE_ARGC})
  if(index EQUAL CMAKE_ARGC)
    break()
  endif()
  if(after_separator)
    list(APPEND command "${CMAKE_ARGV${index}}")
  elseif("${CMAKE_ARGV${index}}" STREQUAL "--")
    set(after_separator TRUE)
  endif()
endforeach()
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
set(working_directory ${CMAKE_CURRENT_BINARY_DIR})
if(DEFINED FROM_PATH)
  set(ENV{PATH} "${FROM_PATH}:$ENV{PATH}")
  set(working_directory /)
endif()
execute_process(COMMAND ${command} WORKING_DIRECTORY ${working_directory} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
set(report "command: ${command}\nstatus: ${status}\nstdout:\n${out}\nstderr:\n${err}")
if(NOT "${status}" STREQUAL "${STATUS}")
  message(FATAL_ERROR "expected exit status ${STATUS}\n${report}")
endif()
if(DEFINED STDOUT AND NOT out MATCHES "${STDOUT}")
  message(FATAL_ERROR "standard output does not match ${STDOUT}\n${report}")
endif()
if(DEFINED STDERR AND NOT err MATCHES "${STDERR}")
  message(FATAL_ERROR "standard error does not match ${STDERR}\n${report}")
endif()
if(DEFINED FORBID AND ("${out}${err}" MATCHES "${FORBID}"))
  message(FATAL_ERROR "output matches ${FORBID}\n${report}")
endif()
