# A logic library links Qt Core and nothing of Gui or Widgets, so that every
# piece of behaviour builds and is tested without a display. The check below
# makes a stray dependency on a widget target fail at configure time.
function(kvn_logic_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC Qt6::Core ${ARG_DEPENDS})
    foreach(dep IN LISTS ARG_DEPENDS)
        if(dep MATCHES "Qt6::(Gui|Widgets)|QScintilla|_qt$|_widgets$")
            message(FATAL_ERROR "${name} is a logic library and may not link ${dep}")
        endif()
    endforeach()
endfunction()

# One QtTest executable per unit, run offscreen with a time limit so that a
# modal dialog nobody closes fails the test instead of hanging the run.
function(kvn_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT 120
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=60000;LC_ALL=C.UTF-8")
endfunction()
