# Runs rst2pdf on the configured Readme.rst. The text is given on standard input from the
# source folder, so that handbuch.rst and the screenshots in docs/ are found relative to it.
# RL_invariant gives the same bytes on every build (no time stamp, a fixed document id).
set(ENV{RL_invariant} 1)
execute_process(
  COMMAND ${RST2PDF} --stylesheets ${STYLE} --font-path ${FONTS} --language de_DE
          --extension-module ${WORKING_FOLDER}/keep_headings.py
          --extension-module ${WORKING_FOLDER}/pdf_metadata.py --repeat-table-rows
          --output ${OUTPUT}.tmp
  INPUT_FILE ${SOURCE}
  WORKING_DIRECTORY ${WORKING_FOLDER}
  RESULT_VARIABLE status
  ERROR_VARIABLE messages)
# rst2pdf reports a missing picture or a broken table only as a message, not by its status.
if(NOT status EQUAL 0 OR messages MATCHES "ERROR|Traceback")
  file(REMOVE ${OUTPUT}.tmp)
  message(FATAL_ERROR "rst2pdf failed (${status}):\n${messages}")
endif()
if(messages)
  message(STATUS "rst2pdf:\n${messages}")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
