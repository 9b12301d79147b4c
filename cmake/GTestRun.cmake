# The <prefix>run test: the whole program once, its results into REPORT. It passes when the
# report was written; each case's own test says whether that case passed.
file(REMOVE ${REPORT})
get_filename_component(dir ${REPORT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
# Wine sees the Unix file system as drive Z:.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} --gtest_output=xml:Z:${REPORT}
                RESULT_VARIABLE result)
if(NOT EXISTS ${REPORT})
  message(FATAL_ERROR "${PROGRAM} wrote no report (exit ${result})")
endif()
