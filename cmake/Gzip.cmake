# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
# corvanta_install_gzipped(SOURCE DESTINATION [RENAME NAME])
# Installs SOURCE compressed as Debian wants manual pages and changelogs: gzip
# -9n, without the name and time stamp, so that the same source gives the same
# bytes (NAME.gz, NAME defaulting to SOURCE's file name).
function(corvanta_install_gzipped source destination)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "RENAME" "")
  if(NOT arg_RENAME)
    get_filename_component(arg_RENAME ${source} NAME)
  endif()
  set(plain ${CMAKE_CURRENT_BINARY_DIR}/gzipped/${arg_RENAME})
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/gzipped
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND gzip -9nf ${plain}
    DEPENDS ${source}
    VERBATIM)
  string(MAKE_C_IDENTIFIER "corvanta_gzip_${arg_RENAME}" target)
  add_custom_target(${target} ALL DEPENDS ${plain}.gz)
  install(FILES ${plain}.gz DESTINATION ${destination})
endfunction()
