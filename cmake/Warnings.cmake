# Warnings for the project's own targets, and the optional sanitizer build.
add_library(zimo_warnings INTERFACE)
target_compile_options(zimo_warnings INTERFACE -Wall -Wextra -Wpedantic
    -Wno-missing-field-initializers)
# CI turns warnings into errors, so none lands.
option(ZIMO_WERROR "Treat the project's own warnings as errors" OFF)
if(ZIMO_WERROR)
    target_compile_options(zimo_warnings INTERFACE -Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(zimo_warnings INTERFACE -Wshadow=local)
else()
    target_compile_options(zimo_warnings INTERFACE -Wshadow-uncaptured-local)
endif()
# Debug information as line tables only: stack traces still name files and lines, and the
# build takes a third less time (CI builds the tree twice).
option(ZIMO_LINE_TABLES "Limit debug information to line tables" OFF)
if(ZIMO_LINE_TABLES)
    add_compile_options(-g1)
endif()
if(ZIMO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    # The sanitizers' checks defeat GCC's flow analysis: it then reports values it cannot
    # prove initialised (in Qt's and the standard library's headers) that are. The ordinary
    # build keeps the warning.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(zimo_warnings INTERFACE -Wno-maybe-uninitialized)
    endif()
endif()
