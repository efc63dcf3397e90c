# Resource-only message DLLs made with the MinGW-w64 binutils of the build host (windmc, windres,
# ld), in the Linux and the Windows build alike: message files for the tests and the sample
# machine. Without those tools no DLL is made and the tests that need one skip.
find_program(VELTRANO_WINDMC NAMES x86_64-w64-mingw32-windmc)
find_program(VELTRANO_WINDRES NAMES x86_64-w64-mingw32-windres)
find_program(VELTRANO_MINGW_LD NAMES x86_64-w64-mingw32-ld)
if(VELTRANO_WINDMC AND VELTRANO_WINDRES AND VELTRANO_MINGW_LD)
    set(VELTRANO_HAVE_MESSAGE_DLLS ON)
else()
    set(VELTRANO_HAVE_MESSAGE_DLLS OFF)
    message(STATUS "No MinGW-w64 windmc/windres/ld: message DLL fixtures are not built")
endif()
set(VELTRANO_MESSAGE_DLL_DIR ${CMAKE_BINARY_DIR}/message-dlls)

# veltrano_message_dll(<target> OUTPUT <name.dll> [MC <file.mc>] [RC <file.rc>...] [ANSI])
# Compiles the message text file (UTF-8, messages written as UTF-16 entries, or as Windows-1252
# entries with ANSI) and any further resource scripts into <VELTRANO_MESSAGE_DLL_DIR>/<name.dll>.
function(veltrano_message_dll target)
    cmake_parse_arguments(D "ANSI" "OUTPUT;MC" "RC" ${ARGN})
    add_custom_target(${target} ALL)
    if(NOT VELTRANO_HAVE_MESSAGE_DLLS)
        return()
    endif()
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${target})
    file(MAKE_DIRECTORY ${work} ${VELTRANO_MESSAGE_DLL_DIR})
    set(scripts)
    if(D_MC)
        get_filename_component(mc ${D_MC} ABSOLUTE)
        get_filename_component(base ${mc} NAME_WE)
        if(D_ANSI)
            set(encoding -A -O 1252)
        else()
            set(encoding -U)
        endif()
        add_custom_command(OUTPUT ${work}/${base}.rc
            COMMAND ${VELTRANO_WINDMC} -C 65001 ${encoding} -r ${work} -h ${work} ${mc}
            DEPENDS ${mc}
            COMMENT "Compiling messages ${base}.mc for ${D_OUTPUT}")
        list(APPEND scripts ${work}/${base}.rc)
    endif()
    foreach(rc IN LISTS D_RC)
        get_filename_component(rc ${rc} ABSOLUTE)
        list(APPEND scripts ${rc})
    endforeach()
    set(objects)
    foreach(script IN LISTS scripts)
        get_filename_component(name ${script} NAME_WE)
        get_filename_component(folder ${script} DIRECTORY)
        add_custom_command(OUTPUT ${work}/${name}.res.o
            COMMAND ${VELTRANO_WINDRES} -c 65001 -I ${folder} -i ${script} -o ${work}/${name}.res.o
            WORKING_DIRECTORY ${work}
            DEPENDS ${script})
        list(APPEND objects ${work}/${name}.res.o)
    endforeach()
    set(dll ${VELTRANO_MESSAGE_DLL_DIR}/${D_OUTPUT})
    add_custom_command(OUTPUT ${dll}
        COMMAND ${VELTRANO_MINGW_LD} --dll -e 0 --subsystem windows --no-insert-timestamp -s
                -o ${dll} ${objects}
        DEPENDS ${objects}
        COMMENT "Linking message DLL ${D_OUTPUT}")
    add_custom_target(${target}_file DEPENDS ${dll})
    add_dependencies(${target} ${target}_file)
endfunction()
