# Checks the built DLL as a file, from what `objdump -p` reports of it:
# - it exports exactly VSTPluginMain and main, both the same function;
# - it imports only DLLs that every Windows system has: nothing of the cross compiler's runtime
#   (libstdc++, libgcc, winpthread), and not msimg32.dll, which the toolkit loads by name when it
#   is there.
#
#     cmake -DOBJDUMP=<objdump> -DDLL=<QEV-Phaser.dll> -P CheckDllFile.cmake

cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${OBJDUMP} -p ${DLL}
    OUTPUT_VARIABLE report ERROR_VARIABLE errors RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed: ${errors}")
endif()
string(REPLACE "\n" ";" lines "${report}")

set(section "")
set(exports "")
set(addresses "")
set(imports "")
foreach(line IN LISTS lines)
    if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
        set(section names)
    elseif(line MATCHES "^Export Address Table -- ")
        set(section addresses)
    elseif(line STREQUAL "")
        set(section "")
    elseif(section STREQUAL "names" AND line MATCHES "^\t\\[ *[0-9]+\\] (.+)$")
        list(APPEND exports "${CMAKE_MATCH_1}")
    elseif(section STREQUAL "addresses" AND line MATCHES "\\] ([0-9a-fA-F]+) Export RVA")
        list(APPEND addresses "${CMAKE_MATCH_1}")
    endif()
    if(line MATCHES "^\tDLL Name: (.+)$")
        string(TOLOWER "${CMAKE_MATCH_1}" name)
        list(APPEND imports "${name}")
    endif()
endforeach()

set(problems "")
list(SORT exports)
if(NOT exports STREQUAL "VSTPluginMain;main")
    string(APPEND problems "exports are [${exports}], expected [VSTPluginMain;main]\n")
endif()
list(REMOVE_DUPLICATES addresses)
list(LENGTH addresses functions)
if(NOT functions EQUAL 1)
    string(APPEND problems "the exports lead to ${functions} functions [${addresses}], expected 1\n")
endif()

set(system_dlls kernel32.dll user32.dll gdi32.dll ole32.dll shell32.dll msvcrt.dll)
if(NOT imports)
    string(APPEND problems "no imports found: not a report of a DLL?\n")
endif()
foreach(name IN LISTS imports)
    if(NOT name IN_LIST system_dlls)
        string(APPEND problems "imports ${name}, which is not a system DLL\n")
    endif()
endforeach()

if(problems)
    message(FATAL_ERROR "${DLL}:\n${problems}")
endif()
message(STATUS "exports: ${exports}; imports: ${imports}")
