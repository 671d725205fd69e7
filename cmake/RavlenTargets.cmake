# Small helpers so every folder declares its targets the same way.

# add_ravlen_test(<name> SOURCES <files...> LIBS <targets...> [GUI])
# One QtTest executable registered with ctest. GUI suites run on the offscreen platform and carry the label
# "gui", so `ctest -L gui` and `ctest -LE gui` pick them or leave them out.
function(add_ravlen_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set(env "XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime" "RAVLEN_SCREENSHOT_DIR=${CMAKE_BINARY_DIR}/screenshots")
    set(labels logic)
    if(ARG_GUI)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
        set(labels gui)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                                            LABELS "${labels}")
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/xdg-runtime ${CMAKE_BINARY_DIR}/screenshots)
endfunction()

# add_ravlen_bench(<name> SOURCES <files...> LIBS <targets...>)
function(add_ravlen_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()

# add_ravlen_fuzzer(<name> SOURCES <files...> LIBS <targets...>)
function(add_ravlen_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()

# add_ravlen_pg_run(<name>)
# The suite <name> (already added in this folder) once more as <name>_pg, with its temporary databases on the
# suites' throwaway PostgreSQL cluster instead of files (RAVLEN_TEST_BACKEND=pg, read by TempRavlenDb).
function(add_ravlen_pg_run name)
    get_test_property(${name} ENVIRONMENT env)
    get_test_property(${name} LABELS labels)
    add_test(NAME ${name}_pg COMMAND ${name})
    list(APPEND env "RAVLEN_TEST_BACKEND=pg")
    set_tests_properties(${name}_pg PROPERTIES ENVIRONMENT "${env}" WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                                               LABELS "${labels};pg")
endfunction()
