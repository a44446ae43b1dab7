# What differs between the trees this project builds: the native one, and the Windows one that is
# cross-built with MinGW-w64 (mingw-w64-x86_64.cmake) and run under Wine.

if(WIN32)
  # Windows 7 and later, the lean windows.h without its min and max macros.
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
  # Programs and the DLLs they load side by side, as Windows looks for DLLs beside the program.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  enable_language(RC)
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

# The version resource of a program or DLL on Windows (what Explorer's properties and the
# panel's About page show), in US English and the Western code page; elsewhere nothing.
#   tarvex_version_resource(TARGET DESCRIPTION VERSION)
function(tarvex_version_resource target description version)
  if(NOT WIN32)
    return()
  endif()
  string(REPLACE "." ";" parts "${version}.0.0.0")
  list(GET parts 0 TARVEX_RC_MAJOR)
  list(GET parts 1 TARVEX_RC_MINOR)
  list(GET parts 2 TARVEX_RC_PATCH)
  set(TARVEX_RC_VERSION ${version})
  set(TARVEX_RC_DESCRIPTION ${description})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(TARVEX_RC_FILE_TYPE "VFT_DLL")
  else()
    set(TARVEX_RC_FILE_TYPE "VFT_APP")
  endif()
  set(TARVEX_RC_FILE_NAME $<TARGET_FILE_NAME:${target}>)
  set(TARVEX_RC_INTERNAL_NAME ${target})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc.in @ONLY)
  # The file name is known only once the target's properties are final.
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc
       INPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc.in)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()
