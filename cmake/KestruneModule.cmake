# kestrune_module(NAME DIR [DEPENDS targets...])
# Builds every .cpp under DIR into the static library kestrune_NAME. A folder
# that has no sources yet becomes an interface library, so that the modules
# above it can already name it.
function(kestrune_module name dir)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    set(target kestrune_${name})
    if(sources)
        add_library(${target} STATIC ${sources})
        target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${target} PUBLIC ${ARG_DEPENDS} Threads::Threads)
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${target} INTERFACE ${ARG_DEPENDS} Threads::Threads)
    endif()
endfunction()

# kestrune_test(NAME DIR [THREADS] [LINKS targets...])
# One GoogleTest program per test folder. THREADS marks the programs that the
# ThreadSanitizer build runs.
function(kestrune_test name dir)
    cmake_parse_arguments(ARG "THREADS" "" "LINKS" ${ARGN})
    if(KESTRUNE_THREAD_TESTS_ONLY AND NOT ARG_THREADS)
        return()
    endif()
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(test_${name} ${sources})
    target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(test_${name} PRIVATE ${ARG_LINKS} GTest::gtest_main GTest::gmock)
    add_test(NAME ${name} COMMAND test_${name})
    kestrune_test_home(${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    if(ARG_THREADS)
        set_tests_properties(${name} PROPERTIES LABELS threads)
    endif()
endfunction()

# kestrune_test_home(TEST [ENVIRONMENT vars...])
# Runs TEST with a home of its own: KESTRUNE_HOME (and the XDG directories
# that libraries such as Qt and fontconfig write to) point into a directory
# under the build tree that a setup step empties before every run, so that
# no test reads or writes the configuration of whoever runs the suite.
function(kestrune_test_home test)
    cmake_parse_arguments(ARG "" "" "ENVIRONMENT" ${ARGN})
    set(home ${CMAKE_BINARY_DIR}/test-homes/${test})
    add_test(NAME ${test}_fresh_home
             COMMAND ${CMAKE_COMMAND} -DDIR=${home} -P ${CMAKE_SOURCE_DIR}/cmake/FreshDirectory.cmake)
    set_tests_properties(${test}_fresh_home PROPERTIES FIXTURES_SETUP ${test}_home)
    set(environment
        KESTRUNE_HOME=${home} XDG_CONFIG_HOME=${home}/config XDG_CACHE_HOME=${home}/cache
        XDG_DATA_HOME=${home}/data XDG_STATE_HOME=${home}/state
        KESTRUNE_SOURCE_DIR=${CMAKE_SOURCE_DIR} KESTRUNE_BINARY_DIR=${CMAKE_BINARY_DIR} ${ARG_ENVIRONMENT})
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED ${test}_home ENVIRONMENT "${environment}")
endfunction()
