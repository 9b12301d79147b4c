# Each case of a Windows test program as a CTest test of its own, from one run of the
# program: a Wine start for every case would cost about a fifth of a second each, hundreds
# of times over.
#
#   qv_add_gtest_cases(<target> <prefix>)
#
# When CTest starts, the program lists its cases (one start). The test <prefix>run runs them
# all into an XML report; each <prefix><Suite>.<Case> then reads its own result from the
# report, so the summary counts and names every case.

set(QV_GTEST_CASES_DIR ${CMAKE_CURRENT_LIST_DIR})

function(qv_add_gtest_cases target prefix)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-cases)
  set(report ${dir}/report.xml)
  get_property(emulator TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR)
  if(NOT emulator)
    set(emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
  add_test(NAME ${prefix}run
    COMMAND ${CMAKE_COMMAND} "-DEMULATOR=${emulator}" -DPROGRAM=$<TARGET_FILE:${target}>
            -DREPORT=${report} -P ${QV_GTEST_CASES_DIR}/GTestRun.cmake)
  set_tests_properties(${prefix}run PROPERTIES FIXTURES_SETUP ${target}-report RUN_SERIAL TRUE)
  file(GENERATE OUTPUT ${dir}/cases.cmake CONTENT "
execute_process(COMMAND \"${emulator}\" \"$<TARGET_FILE:${target}>\" --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE listed TIMEOUT 120)
if(NOT listed EQUAL 0)
  add_test(${prefix}listing \"${CMAKE_COMMAND}\" -E false)
  return()
endif()
string(REPLACE \";\" \",\" listing \"\${listing}\")
string(REPLACE \"\\n\" \";\" lines \"\${listing}\")
set(suite \"\")
foreach(line IN LISTS lines)
  if(line MATCHES \"^([A-Za-z0-9_/]+)\\\\.\")
    set(suite \"\${CMAKE_MATCH_1}\")
  elseif(line MATCHES \"^  ([A-Za-z0-9_/]+)\")
    set(case \"\${CMAKE_MATCH_1}\")
    set(name \"${prefix}\${suite}.\${case}\")
    add_test(\"\${name}\" \"${CMAKE_COMMAND}\" -DREPORT=${report} -DSUITE=\${suite} -DCASE=\${case}
             -P \"${QV_GTEST_CASES_DIR}/GTestCaseResult.cmake\")
    set_tests_properties(\"\${name}\" PROPERTIES FIXTURES_REQUIRED ${target}-report
                        SKIP_REGULAR_EXPRESSION \"was skipped\")
    if(suite MATCHES \"^DISABLED_\" OR case MATCHES \"^DISABLED_\")
      set_tests_properties(\"\${name}\" PROPERTIES DISABLED TRUE)
    endif()
  endif()
endforeach()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${dir}/cases.cmake)
endfunction()
