# Every mitigation this toolchain can give the plug-ins, set explicitly so
# that a change of toolchain defaults cannot drop one silently. The tests
# read the images' headers back (tests/hardening) and the package test reads
# the packaged DLLs the same way.
#
# Control Flow Guard and SafeSEH tables are beyond GNU ld for PE; the x86
# images say instead that they register no SEH handler at all.

# The runtime is linked statically, so libssp's guard (seeded from the
# system's random source when the image loads) and its checked copies are
# inside each DLL.
add_compile_options(-fstack-protector-strong)
add_compile_definitions(_FORTIFY_SOURCE=2)
add_link_options(-fstack-protector-strong)

# A movable image needs its base relocations kept.
set(PLUGIN_HARDENING_LINK_OPTIONS -Wl,--dynamicbase -Wl,--enable-reloc-section -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND PLUGIN_HARDENING_LINK_OPTIONS -Wl,--high-entropy-va)
else()
  # i686 code unwinds with DWARF tables: no frame of these images is ever
  # on the SEH chain, so the image may forbid handlers in itself.
  list(APPEND PLUGIN_HARDENING_LINK_OPTIONS -Wl,--no-seh)
endif()
