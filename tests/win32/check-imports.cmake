cmake_minimum_required(VERSION 3.25)
# Fails when PROGRAM imports a DLL that is not part of Windows (a MinGW
# runtime such as libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll
# would need shipping beside it).
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DPROGRAM=salle30.exe -P check-imports.cmake
set(windows_dlls ADVAPI32 COMCTL32 COMDLG32 GDI32 KERNEL32 MSVCRT OLEACC OLE32 OLEAUT32 SHELL32 SHLWAPI USER32 UXTHEME
                 VERSION WS2_32)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed: ${status}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
    message(FATAL_ERROR "no import table found in ${PROGRAM}")
endif()
set(foreign)
foreach(line IN LISTS imports)
    string(REGEX REPLACE "DLL Name: ([^.]+)\\.[dD][lL][lL].*" "\\1" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOUPPER "${dll}" upper)
    message(STATUS "imports ${dll}")
    if(NOT upper IN_LIST windows_dlls)
        list(APPEND foreign ${dll})
    endif()
endforeach()
if(foreign)
    message(FATAL_ERROR "${PROGRAM} needs DLLs that Windows does not have: ${foreign}")
endif()
