# Turns one page of docs/ into a manual page (cmake -P):
#   -DINPUT=docs/annotate.md -DOUTPUT=man/horgrid-tools-annotate.1 -DNAME=horgrid-tools-annotate
#   -DCONVERTER=/usr/bin/go-md2man -DVERSION=0.1.0
# The page's first line, `# TITLE: WHAT IT DOES`, becomes the man page's title and NAME section;
# `##` headings become sections and `###` subsections (go-md2man's rule); pictures are left out,
# links name the manual page or file they lead to, and tabs become two blanks.
file(READ ${INPUT} text)
string(REGEX MATCH "^# [^\n]*" title "${text}")
if(NOT title)
  message(FATAL_ERROR "${INPUT}: the first line is not a `# TITLE: WHAT IT DOES` heading")
endif()
string(REGEX REPLACE "^# [^:\n]*:? *" "" what "${title}")
string(LENGTH "${title}" skip)
string(SUBSTRING "${text}" ${skip} -1 text)
string(REGEX REPLACE "\n!\\[[^]\n]*\\]\\([^)\n]*\\)[^\n]*" "\n" text "${text}")
# troff would read the tabs of tab-separated examples as its own tab stops.
string(REPLACE "\t" "  " text "${text}")
# Links between the pages: a command's page becomes its manual page, another page its file in
# docs/ (or in the project), e.g. [formats](formats.md#result-sets) -> formats (docs/formats.md).
set(link "\\[([^]\n]*)\\]\\(")
string(REGEX REPLACE "\\[([^]\n]*\\(1\\))\\]\\([^)\n]*\\)" "\\1" text "${text}")
string(REGEX REPLACE "${link}(annotate|infer|decompose|report|dotplot)\\.md[^)\n]*\\)" "\\1 (horgrid-tools-\\2(1))"
       text "${text}")
string(REGEX REPLACE "${link}library-operations\\.md[^)\n]*\\)" "\\1 (horgrid-tools-consensus(1))" text "${text}")
string(REGEX REPLACE "${link}(horgrid|horgrid-tools)\\.md[^)\n]*\\)" "\\1 (\\2(1))" text "${text}")
string(REGEX REPLACE "${link}\\.\\./([^)#\n]*)[^)\n]*\\)" "\\1 (\\2)" text "${text}")
string(REGEX REPLACE "${link}([^):#\n]*)[^):\n]*\\)" "\\1 (docs/\\2)" text "${text}")
set(page "% ${NAME} 1 \"\" \"horgrid ${VERSION}\"\n\n# NAME\n\n${NAME} - ${what}\n${text}")
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
file(WRITE ${OUTPUT}.md "${page}")
execute_process(COMMAND ${CONVERTER} -in ${OUTPUT}.md -out ${OUTPUT} RESULT_VARIABLE status)
file(REMOVE ${OUTPUT}.md)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "${CONVERTER} failed on ${INPUT}")
endif()
