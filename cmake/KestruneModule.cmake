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
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "KESTRUNE_SOURCE_DIR=${CMAKE_SOURCE_DIR};KESTRUNE_BINARY_DIR=${CMAKE_BINARY_DIR}"
        TIMEOUT 600)
    if(ARG_THREADS)
        set_tests_properties(${name} PROPERTIES LABELS threads)
    endif()
endfunction()
