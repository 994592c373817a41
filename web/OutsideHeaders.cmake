# fmt and nlohmann-json for the WebAssembly build: their Debian headers, fmt used header-only.
# Only their two folders are put on the include path, never /usr/include itself, whose C
# library headers would shadow emscripten's.
set(korvale_outside_headers ${PROJECT_BINARY_DIR}/outside_headers)
file(MAKE_DIRECTORY ${korvale_outside_headers})
foreach(folder fmt nlohmann)
    file(CREATE_LINK /usr/include/${folder} ${korvale_outside_headers}/${folder} SYMBOLIC)
endforeach()
add_library(fmt::fmt INTERFACE IMPORTED)
target_include_directories(fmt::fmt SYSTEM INTERFACE ${korvale_outside_headers})
target_compile_definitions(fmt::fmt INTERFACE FMT_HEADER_ONLY)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE
                           ${korvale_outside_headers})
