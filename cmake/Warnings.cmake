# Warnings on everywhere, treated as errors so both builds stay clean.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror)

if(WIN32)
  # The dialog and the engine use the wide Win32 API only; SSE2 is the floor for the SIMD search.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  add_compile_options(-msse2 -mfpmath=sse)
  # One file that runs anywhere: no MinGW runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
