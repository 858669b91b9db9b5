# Warnings for the project's own code; everything it builds is warning-free.
function(marlo_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
        -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough -Werror)
    # GCC 12 reports impossible overlaps inside std::string's own code at -O2 (its bug
    # 105329); the warning says nothing about ours there.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()

# marlo_library(NAME SOURCES... [DEPS ...]): one static library per subsystem, in its own
# folder under src/. Headers are included as "<folder>/<file>.h", and a library sees only its
# own folder and those of the libraries it names in DEPS (and theirs): each library's include
# directory holds nothing but a link to its own folder, so reaching up a layer does not compile.
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

function(marlo_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    marlo_check_layer(${name} ${ARG_DEPS})
    add_library(${name} STATIC ${ARG_SOURCES})
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    set(layer ${CMAKE_BINARY_DIR}/layers/${name})
    get_filename_component(parent ${layer}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${layer}/${folder} SYMBOLIC)
    target_include_directories(${name} PUBLIC ${layer})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    marlo_warnings(${name})
endfunction()

# marlo_test(NAME LABEL SOURCES... [DEPS ...]): a GoogleTest program registered with CTest.
function(marlo_test name label)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    marlo_warnings(${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set(environment "")
    if(MARLO_SANITIZE STREQUAL "thread")
        # Qt is not built for ThreadSanitizer; see the suppressions file.
        set(environment "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")
    endif()
    gtest_discover_tests(${name}
        PROPERTIES LABELS ${label} TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${environment}"
        DISCOVERY_TIMEOUT 30)
endfunction()
