# Warnings on everywhere, treated as errors so both builds stay clean.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)

if(WIN32)
  # The dialog and the engine use the wide Win32 API only; SSE2 is the floor for the SIMD search.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  add_compile_options(-msse2 -mfpmath=sse)
  # One file that runs anywhere: no MinGW runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # 64-bit Windows gives a stack only 16-byte alignment, and GCC does not realign it for the
    # 32-byte AVX2 values it may spill there (GCC bug 54412): the assembler writes every aligned
    # vector move as an unaligned one, which is as fast on aligned data and never faults.
    add_compile_options(-Wa,-muse-unaligned-vector-move)
  endif()
endif()
