# What the Windows programs need beside them, and the folders and zip files
# that carry them to a Windows machine with nothing installed:
#   bin/                      every program and test, runnable from the build tree
#   deploy/Vendrel/           vendrel.exe and vendrel-cli.exe with their DLLs (and deploy/Vendrel.zip)
#   deploy/Pellbrook/         pellbrook.exe with its DLLs (and deploy/Pellbrook.zip)
# Qt looks for its plugins in folders named after their kind beside the
# executable, so platforms/ and styles/ sit there too.

set(qt_prefix ${VENDREL_QT_MINGW})

# The compiler's runtime, which the Qt DLLs use (the programs themselves are
# linked statically).
function(vendrel_compiler_dll name result)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(path "${path}" ABSOLUTE)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler's ${name} is not found (looked for it at ${path})")
  endif()
  set(${result} ${path} PARENT_SCOPE)
endfunction()

set(vendrel_runtime_dlls ${qt_prefix}/bin/Qt6Core.dll ${qt_prefix}/bin/Qt6Gui.dll ${qt_prefix}/bin/Qt6Widgets.dll)
foreach(name IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  vendrel_compiler_dll(${name} path)
  list(APPEND vendrel_runtime_dlls ${path})
endforeach()
set(vendrel_platform_plugins ${qt_prefix}/plugins/platforms/qwindows.dll)
set(vendrel_style_plugins ${qt_prefix}/plugins/styles/qwindowsvistastyle.dll)

# Commands that copy the runtime into FOLDER; the tests' extra DLLs with TESTS.
function(vendrel_runtime_copy_commands folder result)
  cmake_parse_arguments(PARSE_ARGV 2 arg "TESTS" "" "")
  set(dlls ${vendrel_runtime_dlls})
  set(platforms ${vendrel_platform_plugins})
  if(arg_TESTS)
    list(APPEND dlls ${qt_prefix}/bin/Qt6Test.dll)
    list(APPEND platforms ${qt_prefix}/plugins/platforms/qoffscreen.dll)
  endif()
  set(${result}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/platforms ${folder}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dlls} ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${platforms} ${folder}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${vendrel_style_plugins} ${folder}/styles
    PARENT_SCOPE)
endfunction()

vendrel_runtime_copy_commands(${CMAKE_RUNTIME_OUTPUT_DIRECTORY} build_tree_copy TESTS)
add_custom_target(windows-runtime ALL ${build_tree_copy} COMMENT "Copying the Qt and compiler DLLs into bin/" VERBATIM)

# A folder and its zip for one product, holding the given programs.
function(vendrel_deployment name)
  set(folder ${PROJECT_BINARY_DIR}/deploy/${name})
  set(programs)
  # Everything is copied without its debugging information, which is most of its size.
  set(copies)
  foreach(target IN LISTS ARGN)
    list(APPEND programs $<TARGET_FILE:${target}>)
    list(APPEND copies ${folder}/$<TARGET_FILE_NAME:${target}>)
  endforeach()
  foreach(dll IN LISTS vendrel_runtime_dlls)
    get_filename_component(dll_name ${dll} NAME)
    list(APPEND copies ${folder}/${dll_name})
  endforeach()
  foreach(plugin IN LISTS vendrel_platform_plugins vendrel_style_plugins)
    get_filename_component(plugin_name ${plugin} NAME)
    get_filename_component(kind ${plugin} DIRECTORY)
    get_filename_component(kind ${kind} NAME)
    list(APPEND copies ${folder}/${kind}/${plugin_name})
  endforeach()
  vendrel_runtime_copy_commands(${folder} copy)
  add_custom_command(OUTPUT ${folder}.zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${folder} ${folder}.zip
    ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${programs} ${folder}
    COMMAND ${CMAKE_STRIP} --strip-unneeded ${copies}
    COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/deploy ${CMAKE_COMMAND} -E tar cf ${name}.zip --format=zip ${name}
    DEPENDS ${ARGN} ${vendrel_runtime_dlls} ${vendrel_platform_plugins} ${vendrel_style_plugins}
    COMMENT "Making the ${name} folder and zip for Windows"
    VERBATIM)
  add_custom_target(deploy-${name} ALL DEPENDS ${folder}.zip)
endfunction()
