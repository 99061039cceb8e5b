# Compiler and linker hardening for every binary built here (the finder, the
# bind helper that holds a capability, the simulator), the set Debian builds
# its own packages with: so `make run` runs what the package ships.
#   - stack protector and stack clash protection, control-flow protection
#     where the target has it;
#   - _FORTIFY_SOURCE, 3 where the compiler has __builtin_dynamic_object_size,
#     else 2; it needs optimisation, so optimised builds only, and sanitizer
#     and fuzzer builds leave it out (they instrument those calls themselves);
#   - PIE, relocations read-only and bound at start (-z relro -z now), and no
#     executable stack.
include(CheckCCompilerFlag)
include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckPIESupported)

check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong)
foreach(flag IN ITEMS -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "veltrin_has${flag}" has_flag)
  check_cxx_compiler_flag(${flag} ${has_flag}_cxx)
  check_c_compiler_flag(${flag} ${has_flag}_c)
  if(${has_flag}_cxx AND ${has_flag}_c)
    add_compile_options(${flag})
  endif()
endforeach()

set(VELTRIN_FORTIFY OFF)
if(NOT (VELTRIN_SANITIZE OR VELTRIN_SANITIZE_THREAD OR VELTRIN_FUZZ))
  set(VELTRIN_FORTIFY ON)
  check_cxx_source_compiles([[
    #if !defined(__has_builtin) || !__has_builtin(__builtin_dynamic_object_size)
    #error no dynamic object size
    #endif
    int main() { return 0; }]] VELTRIN_HAS_FORTIFY_3)
  if(VELTRIN_HAS_FORTIFY_3)
    set(fortify_level 3)
  else()
    set(fortify_level 2)
  endif()
  # Some compilers define it already (Ubuntu's): replace, do not redefine.
  add_compile_options("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${fortify_level}>")
endif()

add_link_options(LINKER:-z,relro LINKER:-z,now LINKER:-z,noexecstack)
