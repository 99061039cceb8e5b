# What every product target compiles with: the usual warnings, and Qt's
# string defines that keep every conversion between bytes and text explicit.
# Product targets link it PRIVATE; tests compare against plain literals.
set(VELTRIN_STRICT_QT_DEFS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)

add_library(veltrin_build_options INTERFACE)
target_compile_options(veltrin_build_options INTERFACE -Wall -Wextra)
target_compile_definitions(veltrin_build_options INTERFACE ${VELTRIN_STRICT_QT_DEFS})
