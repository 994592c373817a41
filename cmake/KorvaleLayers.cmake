# Every folder of the program is one library, and it names the libraries it builds on. A source
# may include the headers of its own folder and of the folders its library builds on, directly
# or through them; the include check fails the build on any other include of ours, so that a
# wrong-way include (the model including the window, say) never compiles.

# korvale_library(<target> SOURCES <files...> [VECTOR_SOURCES <files...>]
#                 [DEPENDS <our libraries...>] [LIBRARIES <outside libraries...>])
# The sources are those of the current folder; DEPENDS are linked publicly (our headers include
# theirs), LIBRARIES privately unless they are needed by the headers (PUBLIC_LIBRARIES).
# VECTOR_SOURCES are vector code (analysis/numeric/vector_target.h), compiled once for each
# variant of korvale_vector_variants into the library.
# WebAssembly has one width of vectors, 128 bits: blocks of 2 points, as SSE2.
if(EMSCRIPTEN)
    set(korvale_vector_variants SSE2)
else()
    set(korvale_vector_variants SSE2 AVX2 AVX512)
endif()
function(korvale_library target)
    cmake_parse_arguments(ARG "" "" "SOURCES;VECTOR_SOURCES;DEPENDS;LIBRARIES;PUBLIC_LIBRARIES"
                          ${ARGN})
    add_library(${target} ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPENDS} ${ARG_PUBLIC_LIBRARIES}
                          PRIVATE ${ARG_LIBRARIES})
    if(ARG_VECTOR_SOURCES)
        foreach(variant IN LISTS korvale_vector_variants)
            string(TOLOWER ${target}_${variant} objects)
            add_library(${objects} OBJECT ${ARG_VECTOR_SOURCES})
            target_compile_definitions(${objects} PRIVATE KORVALE_VECTOR_${variant})
            target_link_libraries(${objects} PRIVATE ${ARG_DEPENDS} ${ARG_PUBLIC_LIBRARIES}
                                  ${ARG_LIBRARIES})
            target_sources(${target} PRIVATE $<TARGET_OBJECTS:${objects}>)
        endforeach()
    endif()
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${target} PROPERTIES KORVALE_FOLDER "${folder}"
                                               KORVALE_DEPENDS "${ARG_DEPENDS}")
    set_property(GLOBAL APPEND PROPERTY KORVALE_LIBRARIES ${target})
endfunction()

# The folders a library may include from: its own and those of everything it builds on.
function(korvale_reachable_folders target out)
    set(folders "")
    set(queue ${target})
    set(seen "")
    while(queue)
        list(POP_FRONT queue current)
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        get_target_property(folder ${current} KORVALE_FOLDER)
        get_target_property(depends ${current} KORVALE_DEPENDS)
        list(APPEND folders ${folder})
        if(depends)
            list(APPEND queue ${depends})
        endif()
    endwhile()
    list(REMOVE_DUPLICATES folders)
    set(${out} "${folders}" PARENT_SCOPE)
endfunction()

# Called once every library is declared: writes each folder's allowed folders and adds the
# check, which every library waits for.
function(korvale_add_include_check)
    get_property(libraries GLOBAL PROPERTY KORVALE_LIBRARIES)
    set(rules "")
    set(sources "")
    foreach(library IN LISTS libraries)
        get_target_property(folder ${library} KORVALE_FOLDER)
        korvale_reachable_folders(${library} allowed)
        list(JOIN allowed "," allowedText)
        string(APPEND rules "${folder}:${allowedText}\n")
        file(GLOB files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h
             ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
        list(APPEND sources ${files})
    endforeach()
    set(rulesFile ${PROJECT_BINARY_DIR}/include_rules.txt)
    file(WRITE ${rulesFile} "${rules}")
    set(stamp ${PROJECT_BINARY_DIR}/include_check.stamp)
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DRULES=${rulesFile} -DROOT=${PROJECT_SOURCE_DIR}
                -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
        DEPENDS ${sources} ${rulesFile} ${PROJECT_SOURCE_DIR}/cmake/check_includes.cmake
        COMMENT "Checking that every include goes down the layers"
        VERBATIM)
    add_custom_target(include_check DEPENDS ${stamp})
    foreach(library IN LISTS libraries)
        add_dependencies(${library} include_check)
    endforeach()
endfunction()
