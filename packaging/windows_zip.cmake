# Packs a Windows executable with its LEIA-ME into a zip that users
# download (make package), for 64-bit (ARCH win64) or 32-bit (ARCH win32)
# Windows:
#
#   cmake -DEXE=BackupTarvel.exe -DARCH=win64 -DLEIA_ME=LEIA-ME.txt -DZIP=out.zip -P windows_zip.cmake
#
# Without the executable (the Windows build has not been made) it says so
# and makes nothing. An executable for another processor than ARCH names is
# refused, since the zip's name promises one.
cmake_minimum_required(VERSION 3.25)

foreach(argument EXE ARCH LEIA_ME ZIP)
  if(NOT DEFINED ${argument})
    message(FATAL_ERROR "windows_zip.cmake needs -D${argument}=...")
  endif()
endforeach()
get_filename_component(zip_name "${ZIP}" NAME)

if(NOT EXISTS "${EXE}")
  message(STATUS "Skipped ${zip_name}: there is no ${EXE} (make windows builds it)")
  return()
endif()

# A Windows program: "MZ", the PE header's place at 0x3C, "PE\0\0" and the
# machine there: 0x8664 for x86-64, 0x014c for x86. Reads are little-endian.
if(ARCH STREQUAL "win64")
  set(wanted_header "504500006486")
  set(wanted_program "a 64-bit (x86-64)")
elseif(ARCH STREQUAL "win32")
  set(wanted_header "504500004c01")
  set(wanted_program "a 32-bit (x86)")
else()
  message(FATAL_ERROR "ARCH is win64 or win32, not ${ARCH}")
endif()
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
if(NOT header STREQUAL wanted_header)
  message(FATAL_ERROR "${EXE} is not ${wanted_program} Windows program; ${zip_name} not made")
endif()

# The LEIA-ME as Windows' Notepad reads it everywhere: UTF-8 with a byte
# order mark, CRLF line ends.
get_filename_component(zip_dir "${ZIP}" DIRECTORY)
set(stage "${zip_dir}/windows-zip-${ARCH}")
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
