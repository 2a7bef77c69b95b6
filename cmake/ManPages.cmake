# Manual pages from the pages of docs/ (cmake/ManPage.cmake, with Debian's go-md2man): built
# with the executables into man/ of the build folder and installed into share/man/man1, so that
# `man horgrid`, `man horgrid-tools` and `man horgrid-tools-COMMAND` work after `make install`.
# NAME=PAGE: the manual page NAME.1 is made from docs/PAGE; the library operations share a page.
set(HORGRID_MAN_PAGES
  horgrid=horgrid.md
  horgrid-tools=horgrid-tools.md
  horgrid-tools-annotate=annotate.md
  horgrid-tools-infer=infer.md
  horgrid-tools-decompose=decompose.md
  horgrid-tools-report=report.md
  horgrid-tools-dotplot=dotplot.md
  horgrid-tools-consensus=library-operations.md
  horgrid-tools-distmatrix=library-operations.md
  horgrid-tools-group=library-operations.md
  horgrid-tools-hortable=library-operations.md
  horgrid-tools-merge=library-operations.md
  horgrid-tools-purify=library-operations.md)
find_program(HORGRID_MD2MAN go-md2man)
if(NOT HORGRID_MD2MAN)
  message(WARNING "go-md2man not found: no manual pages (scripts/setup.sh installs it)")
  return()
endif()
set(HORGRID_MAN_FILES)
foreach(entry ${HORGRID_MAN_PAGES})
  string(REPLACE "=" ";" pair ${entry})
  list(GET pair 0 name)
  list(GET pair 1 page)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/man/${name}.1)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_CURRENT_SOURCE_DIR}/docs/${page} -DOUTPUT=${output}
            -DNAME=${name} -DCONVERTER=${HORGRID_MD2MAN} -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/docs/${page} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Manual page ${name}.1"
    VERBATIM)
  list(APPEND HORGRID_MAN_FILES ${output})
endforeach()
add_custom_target(horgrid_man_pages ALL DEPENDS ${HORGRID_MAN_FILES})
install(FILES ${HORGRID_MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
