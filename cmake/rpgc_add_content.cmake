# rpgc_add_content(<target> DESCRIPTION <file.gdm> [OUTPUT_DIR <dir>] [WERROR] [STRICT]
#                  [OPTIONS <rpgc option>...])
#
# Compiles a game's content as part of its build: a target <target> (built by "all")
# whose outputs BASE.gds and BASE.gdf (BASE is the description's third line) go to
# OUTPUT_DIR, by default the current binary folder. The paths the description lists are
# taken from the description's own folder. The content is compiled again only when the
# description or one of its sources changed (rpgc writes a depfile naming them), or when
# rpgc itself did. STRICT fails the build on the warnings about content that is lost,
# merged or read differently from how it is written (rpgc --strict); WERROR on every
# warning.
#
# The target's properties RPGC_STRING_TABLE and RPGC_DATABASE hold the outputs' paths,
# for $<TARGET_PROPERTY:<target>,RPGC_DATABASE> in the game's own rules.
function(rpgc_add_content target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "WERROR;STRICT" "DESCRIPTION;OUTPUT_DIR" "OPTIONS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "rpgc_add_content: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_DESCRIPTION)
    message(FATAL_ERROR "rpgc_add_content: DESCRIPTION is required")
  endif()
  if(NOT TARGET rpgc::rpgc)
    message(FATAL_ERROR "rpgc_add_content: the target rpgc::rpgc is missing; "
                        "call find_package(rpgc) first")
  endif()

  get_filename_component(description "${arg_DESCRIPTION}" ABSOLUTE
                         BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  if(NOT EXISTS "${description}")
    message(FATAL_ERROR "rpgc_add_content: cannot find the description '${description}'")
  endif()
  set(outputDir "${CMAKE_CURRENT_BINARY_DIR}")
  if(arg_OUTPUT_DIR)
    get_filename_component(outputDir "${arg_OUTPUT_DIR}" ABSOLUTE
                           BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  get_filename_component(descriptionDir "${description}" DIRECTORY)

  # The output base name is the description's third line; the build is configured again
  # when the description changes, so a new name gives new outputs.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${description}")
  file(READ "${description}" text)
  string(REPLACE "\r" "" text "${text}")
  string(REGEX MATCH "^[^\n]*\n[^\n]*\n([^\n]*)" ignored "${text}")
  set(base "${CMAKE_MATCH_1}")
  if(base STREQUAL "")
    message(FATAL_ERROR "rpgc_add_content: '${description}' names no output base "
                        "(its third line)")
  endif()
  set(stringTable "${outputDir}/${base}.gds")
  set(database "${outputDir}/${base}.gdf")
  set(depfile "${CMAKE_CURRENT_BINARY_DIR}/${target}.rpgc.d")

  set(options ${arg_OPTIONS})
  if(arg_WERROR)
    list(APPEND options -Werror)
  endif()
  if(arg_STRICT)
    list(APPEND options --strict)
  endif()
  file(MAKE_DIRECTORY "${outputDir}")
  add_custom_command(
    OUTPUT "${stringTable}" "${database}"
    COMMAND rpgc::rpgc -C "${descriptionDir}" -o "${outputDir}" --depfile "${depfile}"
            ${options} -- "${description}"
    DEPENDS "${description}" rpgc::rpgc
    DEPFILE "${depfile}"
    COMMENT "Compiling content ${base} (${target})"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS "${stringTable}" "${database}")
  set_target_properties(${target} PROPERTIES
    RPGC_STRING_TABLE "${stringTable}"
    RPGC_DATABASE "${database}")
endfunction()
