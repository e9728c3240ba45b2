# Every subsystem folder is one static library made of the sources it holds;
# adding a file needs no edit here.  A folder with no sources yet becomes an
# interface library so that dependants still configure.
function(qb_library name)
    cmake_parse_arguments(ARG "" "" "DIRS;PUBLIC_DEPS" ${ARGN})
    set(sources)
    foreach(dir IN LISTS ARG_DIRS)
        file(GLOB found CONFIGURE_DEPENDS
             ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
        list(APPEND sources ${found})
    endforeach()
    set(has_cpp FALSE)
    foreach(s IN LISTS sources)
        if(s MATCHES "\\.cpp$")
            set(has_cpp TRUE)
        endif()
    endforeach()
    if(has_cpp)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ARG_PUBLIC_DEPS})
    endif()
endfunction()

# tests/<folder>: all *_test.cpp form one GoogleTest program; every tst_*.cpp
# is a QtTest program of its own.  Widget tests run on the offscreen platform.
# GUI: the GoogleTest program gets a main() that creates a QApplication first.
function(qb_tests folder)
    cmake_parse_arguments(ARG "GUI" "" "LIBS" ${ARGN})
    set(env "QT_QPA_PLATFORM=offscreen;QB_SOURCE_DIR=${PROJECT_SOURCE_DIR};QB_BINARY_DIR=${PROJECT_BINARY_DIR}")
    file(GLOB gtests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
    file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp
                                        ${CMAKE_CURRENT_SOURCE_DIR}/support/*.h)
    if(gtests)
        set(exe ${folder}_tests)
        add_executable(${exe} ${gtests} ${support})
        if(ARG_GUI)
            target_link_libraries(${exe} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock qb_gtest_gui_main)
        else()
            target_link_libraries(${exe} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
        endif()
        target_compile_definitions(${exe} PRIVATE
            QB_SOURCE_DIR="${PROJECT_SOURCE_DIR}" QB_BINARY_DIR="${PROJECT_BINARY_DIR}")
        gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST
                             PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
    endif()
    file(GLOB qtests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(src IN LISTS qtests)
        get_filename_component(base ${src} NAME_WE)
        set(exe ${folder}_${base})
        add_executable(${exe} ${src} ${support})
        target_link_libraries(${exe} PRIVATE ${ARG_LIBS} Qt6::Test)
        target_compile_definitions(${exe} PRIVATE
            QB_SOURCE_DIR="${PROJECT_SOURCE_DIR}" QB_BINARY_DIR="${PROJECT_BINARY_DIR}")
        add_test(NAME ${folder}.${base} COMMAND ${exe} -platform offscreen)
        set_tests_properties(${folder}.${base} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
    endforeach()
endfunction()
