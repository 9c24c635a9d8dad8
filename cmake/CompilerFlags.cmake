# One interface target carries every compile and link flag the project's own
# targets share, so that warnings and sanitizers are set in one place.
add_library(vendrel_flags INTERFACE)
target_compile_options(vendrel_flags INTERFACE -Wall -Wextra -Wpedantic -Wold-style-cast)
# Qt text is built from explicit conversions only, so that no byte string
# becomes text in an encoding nobody chose.
target_compile_definitions(vendrel_flags INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
if(VENDREL_WERROR)
  target_compile_options(vendrel_flags INTERFACE -Werror)
endif()
if(VENDREL_SANITIZE)
  target_compile_options(vendrel_flags INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vendrel_flags INTERFACE -fsanitize=address,undefined)
endif()
