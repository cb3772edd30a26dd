# One place for the settings every target shares.
add_library(besedka_common INTERFACE)
target_compile_options(besedka_common INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
    -Wnon-virtual-dtor)
# Qt strings from 8-bit text only where the code says which encoding it is.
target_compile_definitions(besedka_common INTERFACE QT_NO_CAST_FROM_ASCII)

option(BESEDKA_WERROR "Treat compiler warnings as errors" OFF)
if(BESEDKA_WERROR)
    target_compile_options(besedka_common INTERFACE -Werror)
endif()

if(BESEDKA_SANITIZE)
    target_compile_options(besedka_common INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(besedka_common INTERFACE -fsanitize=address,undefined)
endif()

if(BESEDKA_FUZZ)
    # Every object of a fuzz build carries the coverage the fuzzer steers by.
    target_compile_options(besedka_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
    target_link_options(besedka_common INTERFACE -fsanitize=address,undefined)
endif()
