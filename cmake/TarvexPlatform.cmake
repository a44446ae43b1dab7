# What differs between the trees this project builds: the native one, and the Windows one that is
# cross-built with MinGW-w64 (mingw-w64-x86_64.cmake) and run under Wine.

if(WIN32)
  # Windows 7 and later, the lean windows.h without its min and max macros.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
  # Programs and the DLLs they load side by side, as Windows looks for DLLs beside the program.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()

# A shared library that other programs load and call by plain C names. On Windows it is
# "<target>.dll" with undecorated exports, its import library "<target>.lib" and "<target>.def"
# listing the exports; elsewhere "lib<target>.so".
function(tarvex_export_library target)
  if(WIN32)
    set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
    target_link_options(${target} PRIVATE -Wl,--kill-at
                        -Wl,--output-def,$<TARGET_FILE_DIR:${target}>/${target}.def)
  endif()
endfunction()
