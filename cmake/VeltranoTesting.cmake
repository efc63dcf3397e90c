# Test registration shared by the native and the Windows (Wine) builds.
if(NOT VELTRANO_TESTS)
    return()
endif()

if(CMAKE_CROSSCOMPILING)
    # googletest is compiled from the Debian sources for the MinGW build.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(VELTRANO_GTEST_LIBS GTest::gtest GTest::gmock)
    set(VELTRANO_GTEST_MAIN GTest::gtest_main)
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gmock ALIAS gmock)
        add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
else()
    find_package(GTest REQUIRED)
    set(VELTRANO_GTEST_LIBS GTest::gtest GTest::gmock)
    set(VELTRANO_GTEST_MAIN GTest::gtest_main)
endif()
include(GoogleTest)

# veltrano_test(<name> SOURCES ... LIBS ... [NO_MAIN] [WINDOW_FONTS] [LABELS ...])
# WINDOW_FONTS: window tests, run once more in a prefix whose dialog font is Liberation Sans,
# a face that breaks lines at "!" rather than at the space (see framework/link_markup.h).
# Windows tests are discovered when ctest runs (under Wine), never at build time.
function(veltrano_test name)
    cmake_parse_arguments(T "NO_MAIN;WINDOW_FONTS" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    veltrano_target_defaults(${name})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${T_LIBS} ${VELTRANO_GTEST_LIBS})
    if(NOT T_NO_MAIN)
        target_link_libraries(${name} PRIVATE ${VELTRANO_GTEST_MAIN})
    endif()
    target_compile_definitions(${name} PRIVATE
        VELTRANO_SAMPLES_DIR="${PROJECT_SOURCE_DIR}/../shared/samples"
        VELTRANO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VELTRANO_BINARY_DIR="${PROJECT_BINARY_DIR}"
        VELTRANO_MESSAGE_DLL_DIR="${VELTRANO_MESSAGE_DLL_DIR}")
    set(properties TIMEOUT 300)
    if(T_LABELS)
        list(APPEND properties LABELS "${T_LABELS}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
        PROPERTIES ${properties})
    if(T_WINDOW_FONTS AND CMAKE_CROSSCOMPILING)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
            TEST_PREFIX "LiberationSans."
            PROPERTIES ${properties} ENVIRONMENT "VELTRANO_WINE_FONT=Liberation Sans")
    endif()
endfunction()

# veltrano_python_test(<name> SCRIPT <file> [TIMEOUT <s>] ARGS ...): a test written in Python that
# runs the Linux build's programs (a Windows build has none to give it).
function(veltrano_python_test name)
    cmake_parse_arguments(T "" "SCRIPT;TIMEOUT" "ARGS" ${ARGN})
    if(WIN32 OR NOT VELTRANO_SYSTEM_PYTHON)
        return()
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    add_test(NAME ${name} COMMAND ${VELTRANO_SYSTEM_PYTHON} ${T_SCRIPT} ${T_ARGS})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${T_TIMEOUT} ENVIRONMENT PYTHONDONTWRITEBYTECODE=1)
endfunction()
