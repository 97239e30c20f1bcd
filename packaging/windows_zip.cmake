# Packs the Windows executable with its LEIA-ME into the zip that users
# download (make package):
#
#   cmake -DEXE=BackupTarvel.exe -DLEIA_ME=LEIA-ME.txt -DZIP=out.zip -P windows_zip.cmake
#
# Without the executable (the Windows build has not been made) it says so
# and makes nothing. An executable that is not a 64-bit Windows program is
# refused, since the zip's name promises one.
cmake_minimum_required(VERSION 3.25)

foreach(argument EXE LEIA_ME ZIP)
  if(NOT DEFINED ${argument})
    message(FATAL_ERROR "windows_zip.cmake needs -D${argument}=...")
  endif()
endforeach()
get_filename_component(zip_name "${ZIP}" NAME)

if(NOT EXISTS "${EXE}")
  message(STATUS "Skipped ${zip_name}: there is no ${EXE} (make windows builds it)")
  return()
endif()

# A 64-bit Windows program: "MZ", the PE header's place at 0x3C, "PE\0\0" and
# the machine 0x8664 (x86-64) there. Reads are little-endian.
function(read_bytes file offset count out)
  file(READ "${file}" hex OFFSET ${offset} LIMIT ${count} HEX)
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()
read_bytes("${EXE}" 0 2 mz)
read_bytes("${EXE}" 60 4 pe_offset_hex)
set(pe_offset 0)
if(mz STREQUAL "4d5a" AND pe_offset_hex MATCHES "^(..)(..)(..)(..)$")
  math(EXPR pe_offset "0x${CMAKE_MATCH_4}${CMAKE_MATCH_3}${CMAKE_MATCH_2}${CMAKE_MATCH_1}")
endif()
set(header "")
if(pe_offset GREATER 0)
  read_bytes("${EXE}" ${pe_offset} 6 header)
endif()
if(NOT header STREQUAL "504500006486")
  message(FATAL_ERROR "${EXE} is not a 64-bit (x86-64) Windows program; ${zip_name} not made")
endif()

# The LEIA-ME as Windows' Notepad reads it everywhere: UTF-8 with a byte
# order mark, CRLF line ends.
get_filename_component(zip_dir "${ZIP}" DIRECTORY)
set(stage "${zip_dir}/windows-zip")
file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}")
file(COPY_FILE "${EXE}" "${stage}/BackupTarvel.exe")
file(READ "${LEIA_ME}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 byte_order_mark)
file(WRITE "${stage}/LEIA-ME.txt" "${byte_order_mark}${text}")

file(REMOVE "${ZIP}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf "${ZIP}" --format=zip BackupTarvel.exe LEIA-ME.txt
  WORKING_DIRECTORY "${stage}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
message(STATUS "Made ${ZIP}")
