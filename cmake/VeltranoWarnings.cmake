# Warnings as errors on our own targets only (googletest and friends keep their defaults).
function(veltrano_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    # GCC 12 reports string concatenations of libstdc++ itself as overlapping copies (GCC bug
    # 105651), and, optimising, the memcmp of comparing two vectors as reading past any object;
    # neither check finds anything real in our code.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict -Wno-stringop-overread)
    endif()
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

if(VELTRANO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(VELTRANO_FUZZ)
    # Coverage for libFuzzer in every library; the fuzz targets link the fuzzer's main. Undefined
    # behaviour ends the run like a crash, so that a fuzz input with it cannot pass.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(VELTRANO_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

if(WIN32)
    # One self-contained exe: no libgcc/libstdc++/winpthread DLLs beside it.
    add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# A static library of our own with the project's defaults.
function(veltrano_library name)
    add_library(${name} STATIC ${ARGN})
    veltrano_target_defaults(${name})
endfunction()
