# What a Linux desktop expects around the three programs: the menu entry, the
# hicolor icons, the software-centre metadata, manual pages and the package's
# documentation.
if(NOT UNIX OR APPLE)
  return()
endif()

include(GNUInstallDirs)

set(KELVANE_APP_ID io.github.kelvane.Kelvane)
set(kelvane_data ${PROJECT_SOURCE_DIR}/data)

install(FILES ${kelvane_data}/${KELVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${kelvane_data}/${KELVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${kelvane_data}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
        FILES_MATCHING PATTERN "*.png" PATTERN "*.svg")

find_program(KELVANE_GZIP gzip)
find_program(KELVANE_HELP2MAN help2man)
if(NOT KELVANE_GZIP)
  message(STATUS "gzip not found: no manual pages and no package documentation")
  return()
endif()

set(kelvane_dist ${PROJECT_BINARY_DIR}/dist)
file(MAKE_DIRECTORY ${kelvane_dist}/man)
set(kelvane_generated ${kelvane_dist}/changelog.gz)
# -n keeps the time stamp out, so the same sources give the same package.
add_custom_command(
  OUTPUT ${kelvane_dist}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${kelvane_data}/doc/changelog ${kelvane_dist}/changelog
  COMMAND ${KELVANE_GZIP} -9nf ${kelvane_dist}/changelog
  DEPENDS ${kelvane_data}/doc/changelog
  VERBATIM)

# The pages are made from each program's own --help and --version, so they
# cannot drift from the options the programs accept. They are English pages,
# so the programs are asked for English: help2man passes its locale on to
# them, whether or not the system has it, and the builder's LANGUAGE, which
# would outrank that locale, is dropped.
if(KELVANE_HELP2MAN)
  set(kelvane_man_pages)
  foreach(program kelvane kelvane-cli ostrel-sim)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${kelvane_dist}/man/${program}.1)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E env --unset=LANGUAGE LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen
              ${KELVANE_HELP2MAN} --no-info --locale=en_US.UTF-8 --section=1
              --include=${kelvane_data}/man/${program}.h2m --output=${page}
              $<TARGET_FILE:${program}>
      COMMAND ${KELVANE_GZIP} -9nf ${page}
      DEPENDS ${program} ${kelvane_data}/man/${program}.h2m
      VERBATIM)
    list(APPEND kelvane_man_pages ${page}.gz)
  endforeach()
  list(APPEND kelvane_generated ${kelvane_man_pages})
  install(FILES ${kelvane_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The Chinese pages, for "man -L zh_CN": the programs speak Chinese under
  # the C locale, whatever locales the builder has.
  file(MAKE_DIRECTORY ${kelvane_dist}/man/zh_CN)
  set(kelvane_zh_pages)
  foreach(program kelvane kelvane-cli)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${kelvane_dist}/man/zh_CN/${program}.1)
    # help2man finds the usage line, the options and the sub-headings by their
    # English words and ASCII colons; a stand-in of the program's own name
    # hands it the Chinese help with those marks, so the page is laid out as
    # the English one is. The sub-headings get their Chinese colon back.
    set(stand_in ${kelvane_dist}/man/zh_CN/help/${program})
    file(GENERATE OUTPUT ${stand_in}
         CONTENT "#!/bin/sh\n\"$<TARGET_FILE:${program}>\" \"$@\" | sed -e 's/^用法：/Usage: /' -e 's/^选项：$/Options:/' -e 's/^\\([^ ]*\\)：$/\\1:/'\n"
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                          WORLD_READ WORLD_EXECUTE)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E env --unset=LANGUAGE LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen
              ${KELVANE_HELP2MAN} --no-info --locale=C.UTF-8 --section=1
              --include=${kelvane_data}/man/zh_CN/${program}.h2m --output=${page}
              ${stand_in}
      COMMAND sed -i -e "s/^\\.SS \"\\(.*\\):\"$/.SS \"\\1：\"/" ${page}
      COMMAND ${KELVANE_GZIP} -9nf ${page}
      DEPENDS ${program} ${stand_in} ${kelvane_data}/man/zh_CN/${program}.h2m
      VERBATIM)
    list(APPEND kelvane_zh_pages ${page}.gz)
  endforeach()
  list(APPEND kelvane_generated ${kelvane_zh_pages})
  install(FILES ${kelvane_zh_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/zh_CN/man1)
else()
  message(STATUS "help2man not found: no manual pages")
endif()

add_custom_target(kelvane_dist_files ALL DEPENDS ${kelvane_generated})
install(FILES ${kelvane_data}/doc/copyright ${kelvane_dist}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelvane)
