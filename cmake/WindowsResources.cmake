# The Windows programs' resources: each one's icon, manifest and version,
# compiled by windres. The icons come from the programs' own painting code
# through render-icons, which a cross-build cannot run as built for Windows,
# so it is built a second time, for the build machine, with its own Qt.
include(ExternalProject)

set(vendrel_host_tools ${PROJECT_BINARY_DIR}/host-tools)
set(vendrel_render_icons ${vendrel_host_tools}/render-icons/render-icons)
ExternalProject_Add(render-icons-host
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/render-icons
  BINARY_DIR ${vendrel_host_tools}/render-icons
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${vendrel_render_icons})

# Gives TARGET (the executable PROGRAM.exe) the icon group ICON_NAME with
# pictures of SIZES, and a version resource and manifest naming PRODUCT, VERSION
# (four numbers) and DESCRIPTION.
function(vendrel_windows_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PROGRAM;PRODUCT;ICON_NAME;VERSION;DESCRIPTION" "SIZES")
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/windows-resources)
  set(ICON_FILE ${folder}/${arg_PROGRAM}.ico)
  set(MANIFEST_FILE ${folder}/${arg_PROGRAM}.manifest)
  set(PROGRAM ${arg_PROGRAM})
  set(PROGRAM_FILE ${arg_PROGRAM}.exe)
  set(PRODUCT ${arg_PRODUCT})
  set(ICON_NAME ${arg_ICON_NAME})
  set(DESCRIPTION ${arg_DESCRIPTION})
  set(VERSION_DOTS ${arg_VERSION})
  string(REPLACE "." "," VERSION_COMMAS ${arg_VERSION})
  configure_file(${PROJECT_SOURCE_DIR}/data/windows/program.manifest.in ${MANIFEST_FILE} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/data/windows/program.rc.in ${folder}/${arg_PROGRAM}.rc @ONLY)
  add_custom_command(OUTPUT ${ICON_FILE}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${vendrel_render_icons} --ico ${arg_PROGRAM} ${ICON_FILE} ${arg_SIZES}
    DEPENDS render-icons-host ${vendrel_render_icons}
    COMMENT "Rendering the icon of ${arg_PROGRAM}.exe"
    VERBATIM)
  set_source_files_properties(${folder}/${arg_PROGRAM}.rc PROPERTIES OBJECT_DEPENDS "${ICON_FILE};${MANIFEST_FILE}")
  target_sources(${target} PRIVATE ${folder}/${arg_PROGRAM}.rc)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()
